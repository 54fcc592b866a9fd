#include "connections/gui/NamedListDialog.h"

#include "base/StateLock.h"
#include "connections/gui/DialogSupport.h"
#include "model/NamedObject.h"
#include "model/NamedObjectList.h"
#include "ui/DialogButtons.h"

namespace {
constexpr int kWidth = 340, kHeight = 232;
constexpr int kMargin = 10, kButtonWidth = 88, kButtonHeight = 26, kButtonStep = 32;
} // namespace

CNamedListDialog::CNamedListDialog(const QString& caption, const QString& listLabel, int layoutSlot,
                                   QWidget* parent)
    : CResizableDialog(layoutSlot, parent), m_label(listLabel, this), m_list(this),
      m_close(QStringLiteral("Close"), this), m_new(QStringLiteral("&New..."), this),
      m_duplicate(QStringLiteral("D&uplicate"), this), m_edit(QStringLiteral("&Edit..."), this),
      m_delete(QStringLiteral("&Delete"), this) {
    setWindowTitle(caption);
    resize(kWidth, kHeight);
    const int listWidth = kWidth - 3 * kMargin - kButtonWidth;
    const int buttonX = kWidth - kMargin - kButtonWidth;
    m_label.setGeometry(kMargin, 8, listWidth, 18);
    m_label.setBuddy(&m_list);
    m_list.setGeometry(kMargin, 28, listWidth, kHeight - 28 - kMargin);
    m_list.AddRule(CResizableControl::WIDTH_FULL, 100);
    m_list.AddRule(CResizableControl::HEIGHT_FULL, 100);
    AddControl(&m_list);
    CResizableButton* buttons[] = {&m_close, &m_new, &m_duplicate, &m_edit, &m_delete};
    int y = 28;
    for (CResizableButton* b : buttons) {
        b->setGeometry(buttonX, y, kButtonWidth, kButtonHeight);
        b->setAutoDefault(false);
        b->AddRule(CResizableControl::LEFT_FULL, 100);
        AddControl(b);
        y += kButtonStep;
    }
    m_close.setDefault(true);
    StyleAsStandardButton(m_close, QDialogButtonBox::Close);

    connect(&m_close, &QPushButton::clicked, this, &CNamedListDialog::accept);
    connect(&m_new, &QPushButton::clicked, this, &CNamedListDialog::OnNew);
    connect(&m_duplicate, &QPushButton::clicked, this, &CNamedListDialog::OnDuplicate);
    connect(&m_edit, &QPushButton::clicked, this, &CNamedListDialog::OnEdit);
    connect(&m_delete, &QPushButton::clicked, this, &CNamedListDialog::OnDelete);
    connect(&m_list, &QListWidget::itemDoubleClicked, this, [this] { OnEdit(); });
    connect(&m_list, &QListWidget::currentRowChanged, this, [this] { UpdateButtons(); });
}

void CNamedListDialog::OnInitDialog() {
    CResizableDialog::OnInitDialog();
    Refill();
    if (SelectedRow() < 0 && m_list.count() > 0)
        SelectRow(0);
    Activate(true);
}

QStringList CNamedListDialog::RowTexts() const {
    QStringList rows;
    for (int r = 0; r < m_list.count(); ++r)
        rows.push_back(m_list.item(r)->text());
    return rows;
}

int CNamedListDialog::SelectedRow() const {
    return m_list.currentRow();
}

void CNamedListDialog::SelectRow(int row) {
    m_list.setCurrentRow(row);
    UpdateButtons();
}

CNamedObject* CNamedListDialog::SelectedObject() const {
    const uint32_t id = IdOfRow(m_list, SelectedRow());
    if (id == 0)
        return nullptr;
    StateGuard guard(AppStateLock());
    return Objects().FindById(id);
}

void CNamedListDialog::Refill() {
    const uint32_t selected = IdOfRow(m_list, SelectedRow());
    m_list.clear();
    {
        StateGuard guard(AppStateLock());
        for (CNamedObject* object : Objects())
            InsertRow(*object);
    }
    const int row = RowOfId(m_list, selected);
    if (row >= 0)
        m_list.setCurrentRow(row);
    UpdateButtons();
}

void CNamedListDialog::UpdateButtons() {
    CNamedObject* object = SelectedObject();
    const bool locked = object && IsLocked(*object);
    m_duplicate.setEnabled(object != nullptr);
    m_edit.setEnabled(object && !locked);
    m_delete.setEnabled(object && !locked);
}

int CNamedListDialog::InsertRow(const CNamedObject& object) {
    return InsertSortedRow(m_list, ToQt(DisplayName(object)), object.GetId());
}

void CNamedListDialog::RemoveRow(int row) {
    delete m_list.takeItem(row);
}

void CNamedListDialog::OnNew() {
    CNamedObject* object = CreateObject();
    if (!object)
        return;
    if (!EditObject(*object)) {
        delete object;
        return;
    }
    int row = 0;
    {
        StateGuard guard(AppStateLock());
        Objects().AddTail(object);
        row = InsertRow(*object);
    }
    SelectRow(row);
    MarkConfigurationModified();
}

void CNamedListDialog::OnDuplicate() {
    int row = 0;
    {
        StateGuard guard(AppStateLock());
        CNamedObject* source = SelectedObject();
        if (!source)
            return;
        CNamedObject* copy = DuplicateNamedObject(*source);
        Objects().AddTail(copy);
        row = InsertRow(*copy);
    }
    SelectRow(row);
    MarkConfigurationModified();
}

void CNamedListDialog::OnEdit() {
    CNamedObject* object = SelectedObject();
    if (!object || IsLocked(*object))
        return;
    const uint32_t id = object->GetId();
    if (!EditObject(*object))
        return;
    // The dialog ran its own event loop: look the object up again before using it.
    int row = -1;
    {
        StateGuard guard(AppStateLock());
        RemoveRow(RowOfId(m_list, id));
        if (CNamedObject* edited = Objects().FindById(id))
            row = InsertRow(*edited);
    }
    SelectRow(row);
}

void CNamedListDialog::OnDelete() {
    const int row = SelectedRow();
    CNamedObject* object = SelectedObject();
    if (!object || IsLocked(*object))
        return;
    const uint32_t id = object->GetId();
    if (!ConfirmDelete(object->GetName()))
        return;
    {
        StateGuard guard(AppStateLock());
        // Asking ran an event loop; delete only what is still there and still free.
        CNamedObject* still = Objects().FindById(id);
        if (!still || IsLocked(*still))
            return;
        Objects().Delete(still);
        RemoveRow(RowOfId(m_list, id));
    }
    MarkConfigurationModified();
    SelectRow(std::min(row, m_list.count() - 1));
}
