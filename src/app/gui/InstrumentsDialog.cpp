#include "app/gui/InstrumentsDialog.h"

#include "app/VANTIQApp.h"
#include "base/StateLock.h"
#include "base/Strings.h"
#include "base/UserPrompt.h"
#include "instruments/InstrumentConnection.h"
#include "model/NamedObjectList.h"
#include "ui/DialogButtons.h"

#include <QEvent>
#include <QListWidget>
#include <QMetaObject>
#include <cstdio>

namespace {

enum : unsigned { IDS_DELETE_PROMPT = 61213, IDS_INVALID_SITE = 61248 };

// One "%s" filled with arg; the argument is never read as a format.
std::string FormatOne(unsigned id, const std::string& arg) {
    const std::string& fmt = LoadString(id);
    const int n = std::snprintf(nullptr, 0, fmt.c_str(), arg.c_str());
    if (n < 0)
        return fmt;
    std::string out(static_cast<size_t>(n) + 1, '\0');
    std::snprintf(out.data(), out.size(), fmt.c_str(), arg.c_str());
    out.resize(static_cast<size_t>(n));
    return out;
}

QString Latin1(const std::string& s) {
    return QString::fromLatin1(s.data(), static_cast<qsizetype>(s.size()));
}

} // namespace

CInstrumentsDialog::CInstrumentsDialog(CVANTIQApp& app, Mode mode, QWidget* parent)
    : CResizableDialog(CVANTIQApp::SLOT_INSTRUMENTS, parent), m_app(app), m_mode(mode),
      m_list(this), m_connect(QStringLiteral("&Connect"), this),
      m_close(QStringLiteral("Close"), this), m_new(QStringLiteral("&New..."), this),
      m_duplicate(QStringLiteral("D&uplicate"), this), m_edit(QStringLiteral("&Edit..."), this),
      m_delete(QStringLiteral("&Delete"), this),
      m_closeOnConnect(QStringLiteral("Cl&ose on connect"), this) {
    setWindowTitle(QStringLiteral("Instruments"));
    setObjectName(QStringLiteral("InstrumentsDialog"));

    // The template: the list on the left, the buttons in a column on the right, the check
    // box under the list. The list grows with the dialog; the buttons follow its right edge.
    const int bx = 262, bw = 96, bh = 28;
    m_list.setGeometry(10, 10, 240, 196);
    m_connect.setGeometry(bx, 10, bw, bh);
    m_close.setGeometry(bx, 44, bw, bh);
    m_new.setGeometry(bx, 90, bw, bh);
    m_duplicate.setGeometry(bx, 124, bw, bh);
    m_edit.setGeometry(bx, 158, bw, bh);
    m_delete.setGeometry(bx, 192, bw, bh);
    m_closeOnConnect.setGeometry(10, 214, 240, 24);
    resize(370, 248);

    m_list.AddRule(CResizableControl::WIDTH_FULL, 100);
    m_list.AddRule(CResizableControl::HEIGHT_FULL, 100);
    AddControl(&m_list);
    for (CResizableButton* b : {&m_connect, &m_close, &m_new, &m_duplicate, &m_edit, &m_delete}) {
        b->AddRule(CResizableControl::LEFT_FULL, 100);
        b->setAutoDefault(false);
        AddControl(b);
    }
    m_closeOnConnectAnchor.Attach(&m_closeOnConnect);
    m_closeOnConnectAnchor.AddRule(CResizableControl::TOP_FULL, 100);
    AddControl(&m_closeOnConnectAnchor);

    connect(&m_connect, &QPushButton::clicked, this, &CInstrumentsDialog::OnConnect);
    connect(&m_close, &QPushButton::clicked, this, &CInstrumentsDialog::OnCloseButton);
    connect(&m_new, &QPushButton::clicked, this, &CInstrumentsDialog::OnNew);
    connect(&m_duplicate, &QPushButton::clicked, this, &CInstrumentsDialog::OnDuplicate);
    connect(&m_edit, &QPushButton::clicked, this, &CInstrumentsDialog::OnEdit);
    connect(&m_delete, &QPushButton::clicked, this, &CInstrumentsDialog::OnDelete);
    connect(&m_list, &QListWidget::itemDoubleClicked, this,
            [this](QListWidgetItem*) { OnDoubleClick(); });
    connect(&m_list, &QListWidget::currentRowChanged, this, [this] { UpdateButtons(); });
    StyleAsStandardButton(m_close, QDialogButtonBox::Close);

    Fill();
    SelectRow(0);
    m_closeOnConnect.setChecked(m_app.GetCloseOnConnect());
    if (m_mode == MODE_CONNECT) {
        m_connect.setVisible(true);
        m_connect.setEnabled(true);
        m_connect.setDefault(true);
        m_closeOnConnect.setEnabled(true);
    } else {
        m_connect.setVisible(false);
        m_connect.setEnabled(false);
        m_closeOnConnect.setEnabled(false);
        m_close.setDefault(true);
    }
    UpdateButtons();
}

CInstrumentsDialog::~CInstrumentsDialog() {
    // Never leave the application holding a dialog that is gone.
    if (m_app.GetInstrumentsWindow() == this)
        m_app.SetInstrumentsWindow(nullptr);
}

int CInstrumentsDialog::Run(CVANTIQApp& app, Mode mode, QWidget* parent) {
    CInstrumentsDialog dialog(app, mode, parent);
    app.SetInstrumentsWindow(&dialog);
    const int result = dialog.exec();
    app.SetInstrumentsWindow(nullptr);
    return result;
}

void CInstrumentsDialog::OnInitDialog() {
    CResizableDialog::OnInitDialog();
    if (m_mode == MODE_CONNECT)
        m_connect.setFocus();
    else
        m_close.setFocus();
    Activate(true);
}

// ---- the list ----------------------------------------------------------------------------

void CInstrumentsDialog::Fill() {
    m_list.clear();
    std::vector<std::pair<QString, uint32_t>> entries;
    {
        StateGuard guard(AppStateLock());
        for (CNamedObject* obj : m_app.Instruments())
            if (auto* inst = dynamic_cast<CInstrumentConnection*>(obj))
                entries.emplace_back(Latin1(inst->GetDisplayName()), inst->GetId());
    }
    for (const auto& [text, id] : entries)
        AddEntry(text, id);
}

int CInstrumentsDialog::AddEntry(const QString& text, uint32_t id) {
    // After any equal entries, as a sorted list box places a new string.
    int row = 0;
    const int count = m_list.count();
    int lo = 0, hi = count;
    while (lo < hi) {
        const int mid = (lo + hi) / 2;
        if (QString::compare(m_list.item(mid)->text(), text, Qt::CaseInsensitive) <= 0)
            lo = mid + 1;
        else
            hi = mid;
    }
    row = lo;
    auto* item = new QListWidgetItem(text);
    item->setData(Qt::UserRole, QVariant::fromValue<quint32>(id));
    m_list.insertItem(row, item);
    return row;
}

QStringList CInstrumentsDialog::EntryTexts() const {
    QStringList texts;
    for (int i = 0; i < m_list.count(); ++i)
        texts << m_list.item(i)->text();
    return texts;
}

uint32_t CInstrumentsDialog::EntryId(int row) const {
    const QListWidgetItem* item = m_list.item(row);
    return item ? item->data(Qt::UserRole).value<quint32>() : 0;
}

int CInstrumentsDialog::RowOfId(uint32_t id) const {
    for (int i = 0; i < m_list.count(); ++i)
        if (EntryId(i) == id)
            return i;
    return -1;
}

int CInstrumentsDialog::SelectedRow() const {
    return m_list.currentRow();
}

void CInstrumentsDialog::SelectRow(int row) {
    if (row >= 0 && row < m_list.count())
        m_list.setCurrentRow(row);
}

CInstrumentConnection* CInstrumentsDialog::InstrumentOf(uint32_t id) const {
    if (id == 0)
        return nullptr;
    StateGuard guard(AppStateLock());
    return dynamic_cast<CInstrumentConnection*>(m_app.Instruments().FindById(id));
}

CInstrumentConnection* CInstrumentsDialog::SelectedInstrument() const {
    const int row = SelectedRow();
    return row < 0 ? nullptr : InstrumentOf(EntryId(row));
}

// Connected, or connecting: its front panel is open. Such an instrument is neither edited,
// deleted nor asked to connect again.
bool CInstrumentsDialog::IsBusy(const CInstrumentConnection& inst) {
    return inst.IsConnected() || inst.GetFrontPanel() != nullptr;
}

// ---- buttons -----------------------------------------------------------------------------

void CInstrumentsDialog::UpdateButtons() {
    CInstrumentConnection* inst = SelectedInstrument();
    const bool free = inst && !IsBusy(*inst);
    if (m_mode == MODE_CONNECT)
        m_connect.setEnabled(free);
    m_duplicate.setEnabled(inst != nullptr);
    m_edit.setEnabled(free);
    m_delete.setEnabled(free);
}

void CInstrumentsDialog::changeEvent(QEvent* event) {
    // A front panel closed meanwhile may have freed the selected instrument.
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        UpdateButtons();
    CResizableDialog::changeEvent(event);
}

void CInstrumentsDialog::StoreCloseOnConnect() {
    m_app.SetCloseOnConnect(m_closeOnConnect.isChecked());
}

void CInstrumentsDialog::OnConnect() {
    if (m_mode != MODE_CONNECT)
        return;
    if (CInstrumentConnection* inst = SelectedInstrument(); inst && !IsBusy(*inst)) {
        if (!inst->RequestConnect())
            m_app.ShowError(FormatOne(IDS_INVALID_SITE, inst->GetName()));
    }
    StoreCloseOnConnect();
    if (m_closeOnConnect.isChecked())
        accept();
    else
        UpdateButtons(); // its front panel is open now
}

void CInstrumentsDialog::OnCloseButton() {
    reject();
}

void CInstrumentsDialog::reject() {
    StoreCloseOnConnect();
    CResizableDialog::reject();
}

void CInstrumentsDialog::OnNew() {
    auto* inst = new CInstrumentConnection;
    if (!inst->EditProperties()) {
        delete inst;
        return;
    }
    {
        StateGuard guard(AppStateLock());
        m_app.Instruments().AddTail(inst);
    }
    m_app.SetModified(true);
    SelectRow(AddEntry(Latin1(inst->GetDisplayName()), inst->GetId()));
    UpdateButtons();
}

void CInstrumentsDialog::OnDuplicate() {
    CInstrumentConnection* copy = nullptr;
    {
        StateGuard guard(AppStateLock());
        CInstrumentConnection* inst = SelectedInstrument();
        if (!inst)
            return;
        copy = dynamic_cast<CInstrumentConnection*>(DuplicateNamedObject(*inst));
        if (!copy)
            return;
        m_app.Instruments().AddTail(copy);
    }
    m_app.SetModified(true);
    SelectRow(AddEntry(Latin1(copy->GetDisplayName()), copy->GetId()));
    UpdateButtons();
}

void CInstrumentsDialog::OnEdit() {
    CInstrumentConnection* inst = SelectedInstrument();
    if (!inst || IsBusy(*inst))
        return;
    if (!inst->EditProperties())
        return;
    m_app.SetModified(true);
    const uint32_t id = inst->GetId();
    delete m_list.takeItem(SelectedRow());
    SelectRow(AddEntry(Latin1(inst->GetDisplayName()), id));
    UpdateButtons();
}

void CInstrumentsDialog::OnDelete() {
    CInstrumentConnection* inst = SelectedInstrument();
    if (!inst || IsBusy(*inst))
        return;
    if (m_app.GetConfirmDeletes()) {
        UserPrompt* prompt = m_app.GetPrompt();
        if (!prompt || prompt->Ask(FormatOne(IDS_DELETE_PROMPT, inst->GetName()),
                                   LoadString(IDS_CONFIRM), PromptButtons::YesNo,
                                   PromptIcon::Question, PromptResult::No) != PromptResult::Yes)
            return;
    }
    {
        StateGuard guard(AppStateLock());
        // It may have gone or started connecting while the question was open.
        if (!m_app.Instruments().Contains(inst) || IsBusy(*inst))
            return;
        m_app.Instruments().Remove(inst);
    }
    m_app.SetModified(true);
    const int row = SelectedRow();
    delete m_list.takeItem(row);
    SelectRow(row < m_list.count() ? row : m_list.count() - 1);
    delete inst;
    UpdateButtons();
}

void CInstrumentsDialog::OnDoubleClick() {
    if (m_mode == MODE_CONNECT)
        OnConnect();
    else
        OnEdit();
}

// ---- connection notices ------------------------------------------------------------------

void CInstrumentsDialog::Post(unsigned message, uintptr_t, intptr_t lParam) {
    if (message != MSG_CONNECTION_CHANGED)
        return;
    const auto id = static_cast<uint32_t>(lParam);
    QMetaObject::invokeMethod(
        this, [this, id] { OnConnectionChanged(id); }, Qt::QueuedConnection);
}

void CInstrumentsDialog::OnConnectionChanged(uint32_t objectId) {
    const int row = RowOfId(objectId);
    if (row < 0)
        return;
    CInstrumentConnection* inst = InstrumentOf(objectId);
    if (!inst)
        return;
    const int selected = SelectedRow();
    delete m_list.takeItem(row);
    AddEntry(Latin1(inst->GetDisplayName()), objectId);
    SelectRow(selected);
    UpdateButtons();
}
