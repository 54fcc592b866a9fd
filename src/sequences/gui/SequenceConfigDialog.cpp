#include "sequences/gui/SequenceConfigDialog.h"

#include "base/AppServices.h"
#include "base/LogCategory.h"
#include "base/StateLock.h"
#include "base/Strings.h"
#include "base/UserPrompt.h"
#include "connections/gui/DialogSupport.h"
#include "instruments/Capabilities.h"
#include "instruments/InstrumentConnection.h"
#include "instruments/gui/QtMessageTarget.h"
#include "sequences/Sequence.h"
#include "sequences/SequenceScript.h"
#include "sequences/SequenceTransfer.h"
#include "sequences/StepCCOutput.h"
#include "sequences/StepDelay.h"
#include "sequences/StepExecSeq.h"
#include "sequences/StepGPT.h"
#include "sequences/StepGPTPreset.h"
#include "sequences/StepGenerate.h"
#include "sequences/StepLevel.h"
#include "sequences/StepManual.h"
#include "sequences/StepPurge.h"
#include "sequences/StepSelOutput.h"
#include "sequences/StepStandby.h"
#include "sequences/StepStatusBlock.h"
#include "sequences/gui/SequencePropertiesDialog.h"
#include "sequences/gui/StepEditing.h"
#include "sequences/gui/StepTypeDialog.h"
#include "ui/AppFileDialog.h"
#include "ui/WindowModal.h"

#include <QCloseEvent>
#include <QCursor>
#include <QMenu>
#include <QTimer>
#include <QTreeWidgetItem>

namespace {

// The tree item's role that holds its sequence or step.
constexpr int kObjectRole = Qt::UserRole + 1;

struct ButtonSpec {
    unsigned id;
    const char* label;
};

// The configuration buttons, then the selection buttons (two columns), in tab order.
constexpr ButtonSpec kConfigButtons[] = {
    {CSequenceConfigDialog::IDC_GET_CONFIG, "&Get Config"},
    {CSequenceConfigDialog::IDC_SEND, "Send &To Inst."},
    {CSequenceConfigDialog::IDC_LOAD, "&Load Config..."},
    {CSequenceConfigDialog::IDC_SAVE, "&Save Config..."},
    {CSequenceConfigDialog::IDC_NEW_CONFIG, "&New Config."},
};
constexpr ButtonSpec kSelectionButtons[] = {
    {CSequenceConfigDialog::IDC_NEW_SEQ, "New Se&q..."},
    {CSequenceConfigDialog::IDC_NEW_STEP, "New Ste&p..."},
    {CSequenceConfigDialog::IDC_DUPLICATE, "D&uplicate"},
    {CSequenceConfigDialog::IDC_EDIT, "&Edit..."},
    {CSequenceConfigDialog::IDC_DELETE, "&Delete"},
    {CSequenceConfigDialog::IDC_MOVE_UP, "&Move Up"},
    {CSequenceConfigDialog::IDC_MOVE_DOWN, "Move Do&wn"},
    {CSequenceConfigDialog::IDC_EXPAND_ALL, "E&xpand All"},
    {CSequenceConfigDialog::IDC_COLLAPSE_ALL, "C&ollapse All"},
};

// The ten new-step items both submenus end with.
constexpr ButtonSpec kNewStepItems[] = {
    {CSequenceConfigDialog::ID_NEW_GENERATE, "New &Generate Step"},
    {CSequenceConfigDialog::ID_NEW_GPT, "New GP&T Step"},
    {CSequenceConfigDialog::ID_NEW_GPT_PRESET, "New GPT P&reset Step"},
    {CSequenceConfigDialog::ID_NEW_MANUAL, "New &Manual Step"},
    {CSequenceConfigDialog::ID_NEW_PURGE, "New &Purge Step"},
    {CSequenceConfigDialog::ID_NEW_STANDBY, "New &Standby Step"},
    {CSequenceConfigDialog::ID_NEW_DURATION, "New Dur&ation Step"},
    {CSequenceConfigDialog::ID_NEW_EXEC_SEQ, "New E&xecute Sequence Step"},
    {CSequenceConfigDialog::ID_NEW_SEL_OUTPUT, "New Select &Output Step"},
    {CSequenceConfigDialog::ID_NEW_CC_OUTPUT, "New &CC Output Step"},
};

PromptResult Ask(unsigned textId, PromptButtons buttons, PromptIcon icon, unsigned captionId,
                 PromptResult def) {
    AppServices* app = AppServices::Get();
    UserPrompt* prompt = app ? app->GetPrompt() : nullptr;
    if (!prompt)
        return PromptResult::Cancel; // nobody to ask: do nothing that would lose work
    return prompt->Ask(LoadString(textId), LoadString(captionId), buttons, icon, def);
}

bool AskYesNo(unsigned textId) {
    return Ask(textId, PromptButtons::YesNo, PromptIcon::Question, IDS_CONFIRM, PromptResult::No) ==
           PromptResult::Yes;
}

std::string TextOf(const CNamedObject* object) {
    std::lock_guard<std::recursive_mutex> lock(AppStateLock());
    if (auto* seq = dynamic_cast<const CSequence*>(object))
        return seq->GetText(0);
    if (auto* step = dynamic_cast<const CStep*>(object))
        return step->GetText(0);
    return {};
}

} // namespace

CSequenceConfigDialog::CSequenceConfigDialog(CInstrumentConnection& inst, QWidget* owner)
    : CResizableDialog(6 /* the sequence window's layout slot */, owner), m_inst(inst),
      m_statusGroup(QStringLiteral("Status"), this),
      m_configGroup(QStringLiteral("Configuration"), this),
      m_selectionGroup(QStringLiteral("Selection"), this), m_tree(this), m_status(&m_statusGroup),
      m_progress(&m_statusGroup), m_close(QStringLiteral("Close"), this) {
    setWindowTitle(QStringLiteral("Sequence Configuration"));
    // The template: the tree on the left over the status group, the button groups on the
    // right; the tree takes all growth, the buttons follow the right edge.
    m_tree.setGeometry(10, 10, 400, 330);
    m_tree.setHeaderHidden(true);
    m_tree.setContextMenuPolicy(Qt::CustomContextMenu);
    m_tree.AddRule(CResizableControl::WIDTH_FULL, 100);
    m_tree.AddRule(CResizableControl::HEIGHT_FULL, 100);
    AddControl(&m_tree);

    m_statusGroup.setGeometry(10, 346, 400, 84);
    m_status.setGeometry(10, 22, 380, 24);
    m_status.setReadOnly(true);
    m_progress.setGeometry(10, 52, 380, 20);
    m_progress.setTextVisible(false);
    m_progress.setValue(0);
    m_statusGroupRule.AddRule(CResizableControl::TOP_FULL, 100);
    m_statusGroupRule.AddRule(CResizableControl::WIDTH_FULL, 100);
    m_status.AddRule(CResizableControl::WIDTH_FULL, 100);
    m_progress.AddRule(CResizableControl::WIDTH_FULL, 100);
    AddControl(&m_statusGroupRule);
    AddControl(&m_status);
    AddControl(&m_progress);

    m_configGroup.setGeometry(420, 4, 190, 170);
    int y = 22;
    for (const ButtonSpec& b : kConfigButtons) {
        auto* button = new QPushButton(QString::fromLatin1(b.label), &m_configGroup);
        button->setGeometry(10, y, 170, 26);
        button->setAutoDefault(false);
        m_buttons[b.id] = button;
        y += 29;
    }
    m_selectionGroup.setGeometry(420, 180, 190, 174);
    int index = 0;
    for (const ButtonSpec& b : kSelectionButtons) {
        auto* button = new QPushButton(QString::fromLatin1(b.label), &m_selectionGroup);
        button->setGeometry(index % 2 == 0 ? 8 : 97, 22 + (index / 2) * 29, 85, 26);
        button->setAutoDefault(false);
        m_buttons[b.id] = button;
        ++index;
    }
    m_configGroupRule.AddRule(CResizableControl::LEFT_FULL, 100);
    m_selectionGroupRule.AddRule(CResizableControl::LEFT_FULL, 100);
    AddControl(&m_configGroupRule);
    AddControl(&m_selectionGroupRule);

    m_close.setGeometry(470, 398, 90, 28);
    m_close.AddRule(CResizableControl::LEFT_FULL, 100);
    m_close.AddRule(CResizableControl::TOP_FULL, 100);
    AddControl(&m_close);
    m_buttons[IDC_CLOSE] = &m_close;
    resize(620, 440);

    for (auto& [id, button] : m_buttons) {
        const unsigned command = id;
        connect(button, &QPushButton::clicked, this, [this, command] { OnCommand(command); });
    }
    connect(&m_tree, &QTreeWidget::itemSelectionChanged, this, [this] { UpdateControls(); });
    // A click or a key that expands or collapses an item: the model keeps the state.
    auto expandedChanged = [this] { OnMessage(MSG_UPDATE, 1, 0); };
    connect(&m_tree, &QTreeWidget::itemExpanded, this, expandedChanged);
    connect(&m_tree, &QTreeWidget::itemCollapsed, this, expandedChanged);
    connect(&m_tree, &QTreeWidget::customContextMenuRequested, this, [this](const QPoint& pos) {
        QTreeWidgetItem* item = m_tree.itemAt(pos);
        if (!item)
            return;
        SelectItem(item);
        std::unique_ptr<QMenu> menu = BuildContextMenu(item);
        if (QAction* chosen = menu->exec(m_tree.viewport()->mapToGlobal(pos)))
            OnCommand(chosen->data().toUInt());
    });

    m_target = std::make_unique<QtMessageTarget>(
        this, [this](unsigned message, uintptr_t wParam, intptr_t lParam) {
            OnMessage(message, wParam, lParam);
        });
}

CSequenceConfigDialog::~CSequenceConfigDialog() {
    // A late result of the site worker must not reach a window that is gone.
    m_target->Detach();
}

void CSequenceConfigDialog::Run(CInstrumentConnection& inst, QWidget* owner) {
    CSequenceConfigDialog dialog(inst, owner);
    dialog.exec();
}

void CSequenceConfigDialog::OnInitDialog() {
    CResizableDialog::OnInitDialog();
    std::string title = LoadString(61271);
    const std::string name = m_inst.GetName();
    const std::string site = m_inst.GetSiteName();
    if (size_t at = title.find("%s"); at != std::string::npos) {
        title.replace(at, 2, name);
        if ((at = title.find("%s", at + name.size())) != std::string::npos)
            title.replace(at, 2, site);
    }
    setWindowTitle(ToQt(title));
    FillTree();
    EnableControls(true);
    m_close.setDefault(true);
    m_close.setFocus();
    Activate(true);
    QTimer::singleShot(0, this, [this] { OnMessage(MSG_UPDATE, 0, 0); });
}

QPushButton* CSequenceConfigDialog::Button(unsigned id) const {
    auto it = m_buttons.find(id);
    return it == m_buttons.end() ? nullptr : it->second;
}

CNamedObject* CSequenceConfigDialog::ObjectOf(QTreeWidgetItem* item) const {
    return item ? static_cast<CNamedObject*>(item->data(0, kObjectRole).value<void*>()) : nullptr;
}

void CSequenceConfigDialog::SelectItem(QTreeWidgetItem* item) {
    m_tree.setCurrentItem(item);
    if (item)
        item->setSelected(true);
}

QTreeWidgetItem* CSequenceConfigDialog::MakeSequenceItem(CSequence* seq, int index) {
    auto* item = new QTreeWidgetItem;
    item->setText(0, ToQt(seq->GetText(0)));
    item->setData(0, kObjectRole, QVariant::fromValue<void*>(seq));
    for (CNamedObject* object : seq->Steps()) {
        auto* child = new QTreeWidgetItem(item);
        child->setText(0, ToQt(static_cast<CStep*>(object)->GetText(0)));
        child->setData(0, kObjectRole, QVariant::fromValue<void*>(object));
    }
    m_tree.insertTopLevelItem(index, item);
    item->setExpanded(seq->GetExpanded());
    return item;
}

void CSequenceConfigDialog::FillTree() {
    const QSignalBlocker quiet(m_tree);
    m_tree.clear();
    std::lock_guard<std::recursive_mutex> lock(AppStateLock());
    int index = 0;
    for (CNamedObject* object : m_inst.Sequences())
        MakeSequenceItem(static_cast<CSequence*>(object), index++);
}

void CSequenceConfigDialog::SyncExpandedFlags() {
    std::lock_guard<std::recursive_mutex> lock(AppStateLock());
    for (int i = 0; i < m_tree.topLevelItemCount(); ++i) {
        QTreeWidgetItem* item = m_tree.topLevelItem(i);
        auto* seq = static_cast<CSequence*>(ObjectOf(item));
        if (seq && seq->GetExpanded() != item->isExpanded()) {
            seq->SetExpanded(item->isExpanded());
            AppSetModified();
        }
    }
}

void CSequenceConfigDialog::EnableControls(bool enabled) {
    m_enabled = enabled;
    UpdateControls();
}

CSequence* CSequenceConfigDialog::TargetSequence() const {
    QTreeWidgetItem* item = m_tree.currentItem();
    if (!item)
        return nullptr;
    if (item->parent())
        item = item->parent();
    return static_cast<CSequence*>(ObjectOf(item));
}

void CSequenceConfigDialog::UpdateControls() {
    QTreeWidgetItem* item = m_tree.currentItem();
    const bool selSeq = item && !item->parent();
    const bool selStep = item && item->parent();
    const bool connected = m_inst.IsConnected();
    const bool canAddSeq = m_inst.CanAddSequence();
    CSequence* target = TargetSequence();
    const bool canAddStep = target && target->CanAddStep();
    const auto* step = selStep ? static_cast<const CStep*>(ObjectOf(item)) : nullptr;
    const bool editableStep = step && step->IsEditable();
    const bool e = m_enabled;
    auto set = [this](unsigned id, bool on) { m_buttons[id]->setEnabled(on); };
    m_tree.setEnabled(e);
    for (unsigned id :
         {IDC_LOAD, IDC_SAVE, IDC_NEW_CONFIG, IDC_CLOSE, IDC_EXPAND_ALL, IDC_COLLAPSE_ALL})
        set(id, e);
    set(IDC_GET_CONFIG, e && connected);
    set(IDC_SEND, e && connected);
    set(IDC_NEW_SEQ, e && canAddSeq);
    set(IDC_NEW_STEP, e && canAddStep);
    set(IDC_DUPLICATE, e && ((selSeq && canAddSeq) || (selStep && canAddStep)));
    set(IDC_EDIT, e && (selSeq || editableStep));
    set(IDC_DELETE, e && (selSeq || selStep));
    QTreeWidgetItem* parent = item ? item->parent() : nullptr;
    const int row = !item    ? -1
                    : parent ? parent->indexOfChild(item)
                             : m_tree.indexOfTopLevelItem(item);
    const int siblings = !item ? 0 : parent ? parent->childCount() : m_tree.topLevelItemCount();
    set(IDC_MOVE_UP, e && item && row > 0);
    set(IDC_MOVE_DOWN, e && item && row + 1 < siblings);
    if (e) {
        const QSignalBlocker quiet(m_tree);
        std::lock_guard<std::recursive_mutex> lock(AppStateLock());
        for (int i = 0; i < m_tree.topLevelItemCount(); ++i) {
            QTreeWidgetItem* seqItem = m_tree.topLevelItem(i);
            if (auto* seq = static_cast<CSequence*>(ObjectOf(seqItem)))
                seqItem->setExpanded(seq->GetExpanded());
        }
    }
}

std::unique_ptr<QMenu> CSequenceConfigDialog::BuildContextMenu(QTreeWidgetItem* item) {
    auto menu = std::make_unique<QMenu>(this);
    const bool isStep = item && item->parent();
    CSequence* target = nullptr;
    if (item)
        target = static_cast<CSequence*>(ObjectOf(isStep ? item->parent() : item));
    const bool canAddStep = target && target->CanAddStep();
    const bool canAddSeq = m_inst.CanAddSequence();
    auto add = [&menu](unsigned id, const QString& label, bool enabled) {
        QAction* action = menu->addAction(label);
        action->setData(id);
        action->setEnabled(enabled);
    };
    if (isStep) {
        const auto* step = static_cast<const CStep*>(ObjectOf(item));
        add(ID_DUPLICATE_STEP, QStringLiteral("D&uplicate Step"), canAddStep);
        add(ID_EDIT_STEP, QStringLiteral("&Edit Step"), step && step->IsEditable());
        add(ID_DELETE_STEP, QStringLiteral("&Delete Step"), true);
    } else {
        add(ID_NEW_SEQUENCE, QStringLiteral("&New Sequence"), canAddSeq);
        add(ID_DUPLICATE_SEQUENCE, QStringLiteral("D&uplicate Sequence"), canAddSeq);
        add(ID_EDIT_SEQUENCE, QStringLiteral("&Edit Sequence"), true);
        add(ID_DELETE_SEQUENCE, QStringLiteral("&Delete Sequence"), true);
    }
    menu->addSeparator();
    for (const ButtonSpec& b : kNewStepItems)
        add(b.id, QString::fromLatin1(b.label), canAddStep);
    if (m_inst.HasCapability(CAP_CAL_LEVEL)) {
        add(ID_NEW_LEVEL, StringText(61285), canAddStep);
        add(ID_NEW_STATUS_BLOCK, StringText(61286), canAddStep);
    }
    return menu;
}

void CSequenceConfigDialog::OnMessage(unsigned message, uintptr_t wParam, intptr_t) {
    switch (message) {
    case MSG_UPDATE:
        if (wParam == 1 || wParam == 2)
            SyncExpandedFlags();
        UpdateControls();
        return;
    case MSG_SEQ_PROGRESS_RANGE:
        m_progress.setRange(0, static_cast<int>(wParam));
        m_progress.setValue(0);
        return;
    case MSG_SEQ_PROGRESS_STEP:
        m_progress.setValue(std::min(m_progress.value() + 1, m_progress.maximum()));
        return;
    case MSG_SEQ_FETCH_FAILED:
        FillTree();
        FinishExchange();
        return;
    case MSG_SEQ_FETCH_DONE:
    case MSG_SEQ_SEND_DONE:
    case MSG_SEQ_SEND_FAILED:
        // The worker's last lines may still be on their way to the log: a short pause, kept
        // by a timer so that this thread goes on painting.
        QTimer::singleShot(100, this, [this, message] {
            if (message == MSG_SEQ_FETCH_DONE) {
                FillTree();
            } else if (message == MSG_SEQ_SEND_DONE) {
                Ask(61280, PromptButtons::Ok, PromptIcon::Information, 61240, PromptResult::Ok);
            } else {
                AppLogMessage(LOG_ERROR, LoadString(61281));
                Ask(61281, PromptButtons::Ok, PromptIcon::Exclamation, IDS_ERROR, PromptResult::Ok);
            }
            FinishExchange();
        });
        return;
    default:
        return;
    }
}

void CSequenceConfigDialog::FinishExchange() {
    m_exchangeRunning = false;
    m_status.clear();
    m_progress.setValue(0);
    EnableControls(true);
    m_close.setDefault(true);
    m_close.setFocus();
}

bool CSequenceConfigDialog::ConfirmDiscard(unsigned messageId) {
    if (!m_inst.GetSequencesModified())
        return true;
    return AskYesNo(messageId);
}

void CSequenceConfigDialog::MarkModified() {
    m_inst.SetSequencesModified(true);
    AppSetModified();
}

void CSequenceConfigDialog::RefreshItemText(QTreeWidgetItem* item) {
    if (item)
        item->setText(0, ToQt(TextOf(ObjectOf(item))));
}

void CSequenceConfigDialog::OnCommand(unsigned id) {
    switch (id) {
    case IDC_GET_CONFIG:
        OnGetConfig();
        break;
    case IDC_SEND:
        OnSend();
        break;
    case IDC_LOAD:
        OnLoad();
        break;
    case IDC_SAVE:
        OnSave();
        break;
    case IDC_NEW_CONFIG:
        OnNewConfig();
        break;
    case IDC_NEW_SEQ:
    case ID_NEW_SEQUENCE:
        OnNewSequence();
        break;
    case IDC_NEW_STEP:
        OnNewStep(IDC_NEW_STEP);
        break;
    case IDC_EDIT:
    case ID_EDIT_SEQUENCE:
    case ID_EDIT_STEP:
        OnEdit();
        break;
    case IDC_DELETE:
    case ID_DELETE_SEQUENCE:
    case ID_DELETE_STEP:
        OnDelete();
        break;
    case IDC_DUPLICATE:
    case ID_DUPLICATE_SEQUENCE:
    case ID_DUPLICATE_STEP:
        OnDuplicate();
        break;
    case IDC_MOVE_UP:
        OnMove(true);
        break;
    case IDC_MOVE_DOWN:
        OnMove(false);
        break;
    case IDC_EXPAND_ALL:
        OnExpandAll(true);
        break;
    case IDC_COLLAPSE_ALL:
        OnExpandAll(false);
        break;
    case IDC_CLOSE:
        reject();
        return;
    default:
        // The new-step commands of each kind; OnNewStep ignores any other id.
        OnNewStep(id);
        break;
    }
    UpdateControls();
}

void CSequenceConfigDialog::OnGetConfig() {
    if (!ConfirmDiscard(61270))
        return;
    m_exchangeRunning = true;
    EnableControls(false);
    m_status.setText(StringText(61243));
    {
        const QSignalBlocker quiet(m_tree);
        m_tree.clear();
    }
    if (!m_inst.RequestFetchSequences(m_target.get())) {
        // Nothing was queued, so no result will come: show what the model holds.
        FillTree();
        FinishExchange();
    }
}

void CSequenceConfigDialog::OnSend() {
    if (!AskYesNo(61278))
        return;
    m_exchangeRunning = true;
    EnableControls(false);
    m_status.setText(StringText(61279));
    if (!m_inst.RequestSendSequences(m_target.get()))
        FinishExchange();
}

void CSequenceConfigDialog::OnLoad() {
    if (!ConfirmDiscard(61270))
        return;
    CAppFileDialog dlg(true, StringText(61239), QString(),
                       CAppFileDialog::OFN_FILEMUSTEXIST | CAppFileDialog::OFN_HIDEREADONLY,
                       StringText(61237), this);
    if (dlg.exec() != QDialog::Accepted)
        return;
    LoadSequenceScript(m_inst, FromQt(dlg.GetPathName()));
    FillTree();
}

void CSequenceConfigDialog::OnSave() {
    CAppFileDialog dlg(false, StringText(61239), ToQt(ProposedSequenceScriptName(m_inst)),
                       CAppFileDialog::OFN_HIDEREADONLY, StringText(61237), this);
    // A script is always written whole, so the plain overwrite question is the right one.
    dlg.setOption(QFileDialog::DontConfirmOverwrite, false);
    if (dlg.exec() != QDialog::Accepted)
        return;
    SaveSequenceScript(m_inst, FromQt(dlg.GetPathName()));
}

void CSequenceConfigDialog::OnNewConfig() {
    if (!ConfirmDiscard(61270))
        return;
    {
        const QSignalBlocker quiet(m_tree);
        m_tree.clear();
    }
    m_inst.Sequences().DeleteAll();
    m_inst.SetSequencesModified(false);
    AppSetModified();
}

void CSequenceConfigDialog::OnNewSequence() {
    if (!m_inst.CanAddSequence())
        return;
    auto seq = std::make_unique<CSequence>(&m_inst, "NONE");
    if (!CSequencePropertiesDialog::Edit(*seq, m_inst, this))
        return;
    CSequence* added = seq.release();
    m_inst.Sequences().AddTail(added);
    SelectItem(MakeSequenceItem(added, m_tree.topLevelItemCount()));
    MarkModified();
}

CStep* CSequenceConfigDialog::CreateStepFor(unsigned id) {
    switch (id) {
    case ID_NEW_GENERATE:
        return new CStepGenerate;
    case ID_NEW_GPT:
        return new CStepGPT;
    case ID_NEW_GPT_PRESET:
        return new CStepGPTPreset;
    case ID_NEW_MANUAL:
        return new CStepManual;
    case ID_NEW_PURGE:
        return new CStepPurge;
    case ID_NEW_STANDBY:
        return new CStepStandby;
    case ID_NEW_DURATION:
        return new CStepDelay;
    case ID_NEW_EXEC_SEQ:
        return new CStepExecSeq;
    case ID_NEW_SEL_OUTPUT:
        return new CStepSelOutput;
    case ID_NEW_CC_OUTPUT:
        return new CStepCCOutput;
    case ID_NEW_LEVEL:
        return new CStepLevel;
    case ID_NEW_STATUS_BLOCK:
        return new CStepStatusBlock;
    default:
        return nullptr;
    }
}

void CSequenceConfigDialog::OnNewStep(unsigned commandId) {
    CSequence* seq = TargetSequence();
    if (!seq || !seq->CanAddStep())
        return;
    if (commandId == IDC_NEW_STEP) {
        commandId = CStepTypeDialog::Choose(m_inst.GetCapabilities(), this);
        if (commandId == 0)
            return;
    }
    std::unique_ptr<CStep> step(CreateStepFor(commandId));
    if (!step)
        return;
    step->SetOwner(seq);
    if (step->IsEditable() && !EditStep(*step, m_inst, this))
        return;
    CStep* added = step.release();
    seq->AddStep(added);
    QTreeWidgetItem* seqItem = m_tree.currentItem();
    if (seqItem->parent())
        seqItem = seqItem->parent();
    RefreshItemText(seqItem);
    auto* child = new QTreeWidgetItem(seqItem);
    child->setText(0, ToQt(TextOf(added)));
    child->setData(0, kObjectRole, QVariant::fromValue<void*>(static_cast<CNamedObject*>(added)));
    SelectItem(child);
    MarkModified();
}

void CSequenceConfigDialog::OnEdit() {
    QTreeWidgetItem* item = m_tree.currentItem();
    CNamedObject* object = ObjectOf(item);
    if (!object)
        return;
    bool ok = false;
    if (!item->parent()) {
        ok = CSequencePropertiesDialog::Edit(*static_cast<CSequence*>(object), m_inst, this);
    } else {
        auto* step = static_cast<CStep*>(object);
        ok = step->IsEditable() && EditStep(*step, m_inst, this);
    }
    if (!ok)
        return;
    RefreshItemText(item);
    MarkModified();
}

void CSequenceConfigDialog::OnDuplicate() {
    QTreeWidgetItem* item = m_tree.currentItem();
    CNamedObject* object = ObjectOf(item);
    if (!object)
        return;
    if (!item->parent()) {
        if (!m_inst.CanAddSequence())
            return;
        auto* copy = static_cast<CSequence*>(object)->Clone();
        copy->SetName(LoadString(IDS_COPY_OF) + copy->GetName());
        m_inst.Sequences().AddTail(copy);
        SelectItem(MakeSequenceItem(copy, m_tree.topLevelItemCount()));
    } else {
        CSequence* seq = TargetSequence();
        if (!seq || !seq->CanAddStep())
            return;
        CStep* copy = static_cast<CStep*>(object)->Clone();
        seq->AddStep(copy);
        QTreeWidgetItem* seqItem = item->parent();
        RefreshItemText(seqItem);
        auto* child = new QTreeWidgetItem(seqItem);
        child->setText(0, ToQt(TextOf(copy)));
        child->setData(0, kObjectRole,
                       QVariant::fromValue<void*>(static_cast<CNamedObject*>(copy)));
        SelectItem(child);
    }
    MarkModified();
}

void CSequenceConfigDialog::OnDelete() {
    QTreeWidgetItem* item = m_tree.currentItem();
    CNamedObject* object = ObjectOf(item);
    if (!object || !ConfirmDelete(FromQt(item->text(0))))
        return;
    QTreeWidgetItem* parent = item->parent();
    delete item;
    if (!parent) {
        m_inst.Sequences().Delete(object);
    } else {
        static_cast<CSequence*>(ObjectOf(parent))->Steps().Delete(object);
        RefreshItemText(parent);
    }
    MarkModified();
}

void CSequenceConfigDialog::OnMove(bool up) {
    QTreeWidgetItem* item = m_tree.currentItem();
    CNamedObject* object = ObjectOf(item);
    if (!object)
        return;
    QTreeWidgetItem* parent = item->parent();
    const int row = parent ? parent->indexOfChild(item) : m_tree.indexOfTopLevelItem(item);
    const int count = parent ? parent->childCount() : m_tree.topLevelItemCount();
    const int to = up ? row - 1 : row + 1;
    if (to < 0 || to >= count)
        return;
    CNamedObjectList& list =
        parent ? static_cast<CSequence*>(ObjectOf(parent))->Steps() : m_inst.Sequences();
    {
        std::lock_guard<std::recursive_mutex> lock(AppStateLock());
        const long at = list.IndexOf(object);
        if (at < 0)
            return;
        list.Remove(object);
        list.InsertAt(static_cast<size_t>(at + (up ? -1 : 1)), object);
    }
    const QSignalBlocker quiet(m_tree);
    if (parent) {
        parent->insertChild(to, parent->takeChild(row));
    } else {
        // A moved sequence keeps its step items and its expanded state.
        m_tree.insertTopLevelItem(to, m_tree.takeTopLevelItem(row));
        item->setExpanded(static_cast<CSequence*>(object)->GetExpanded());
    }
    SelectItem(item);
    MarkModified();
}

void CSequenceConfigDialog::OnExpandAll(bool expand) {
    CSequence::SetAllExpanded(m_inst, expand);
}

void CSequenceConfigDialog::reject() {
    // While connected the window stays during an exchange and asks before unsent changes
    // are left behind; without a connection there is nothing to send them to.
    if (m_inst.IsConnected()) {
        if (m_exchangeRunning || !ConfirmDiscard(61287))
            return;
    }
    CResizableDialog::reject();
}

void CSequenceConfigDialog::closeEvent(QCloseEvent* event) {
    event->ignore();
    reject();
}
