#include "das/gui/DASConfigDialog.h"

#include "base/AppServices.h"
#include "base/StateLock.h"
#include "base/Strings.h"
#include "base/UserPrompt.h"
#include "connections/gui/DialogSupport.h"
#include "das/DASChannel.h"
#include "das/DASExchange.h"
#include "das/DASParameter.h"
#include "das/DASScript.h"
#include "das/DataRecordSet.h"
#include "das/gui/SelectRecordsDialog.h"
#include "instruments/InstrumentConnection.h"
#include "instruments/gui/QtMessageTarget.h"
#include "ui/AppFileDialog.h"
#include "ui/ResizableButton.h"
#include "ui/ResizableProgressCtrl.h"
#include "ui/ResizableTreeCtrl.h"
#include "ui/WindowModal.h"

#include <QCheckBox>
#include <QContextMenuEvent>
#include <QCursor>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QTreeWidgetItem>
#include <cstdio>

namespace {

CDASConfigDialog::Settings& TheSettings() {
    static CDASConfigDialog::Settings settings;
    return settings;
}

CDASConfigDialog::DataWindows& TheDataWindows() {
    static CDASConfigDialog::DataWindows windows;
    return windows;
}

enum ItemRole { ROLE_OBJECT = Qt::UserRole, ROLE_IS_PARAMETER };

CDASChannel* ChannelOf(const QTreeWidgetItem* item) {
    if (!item)
        return nullptr;
    if (item->data(0, ROLE_IS_PARAMETER).toBool())
        item = item->parent();
    return item ? reinterpret_cast<CDASChannel*>(item->data(0, ROLE_OBJECT).value<quintptr>())
                : nullptr;
}

CDASParameter* ParameterOf(const QTreeWidgetItem* item) {
    if (!item || !item->data(0, ROLE_IS_PARAMETER).toBool())
        return nullptr;
    return reinterpret_cast<CDASParameter*>(item->data(0, ROLE_OBJECT).value<quintptr>());
}

std::string Format(unsigned id, const std::string& arg) {
    const std::string& format = LoadString(id);
    std::string text(format.size() + arg.size() + 16, '\0');
    const int n = std::snprintf(text.data(), text.size(), format.c_str(), arg.c_str());
    text.resize(n > 0 ? static_cast<size_t>(n) : 0);
    return text;
}

PromptResult Ask(const std::string& text, unsigned caption, PromptButtons buttons, PromptIcon icon,
                 PromptResult defaultButton) {
    AppServices* app = AppServices::Get();
    UserPrompt* prompt = app ? app->GetPrompt() : nullptr;
    return prompt ? prompt->Ask(text, LoadString(caption), buttons, icon, defaultButton)
                  : defaultButton;
}

// Control ids of the dialog template, texts and where they sit in it (488 x 450).
struct ButtonPlace {
    const char* text;
    int x, y;
};
const ButtonPlace kButtons[CDASConfigDialog::BUTTON_COUNT] = {
    {"&Get Config", 272, 24},     {"Send &To Inst.", 376, 24}, {"&Load Config...", 272, 52},
    {"&Save Config...", 376, 52}, {"&New Config.", 272, 80},   {"New &Chan...", 376, 80},
    {"New &Param...", 272, 108},  {"D&uplicate", 376, 108},    {"&Edit...", 272, 136},
    {"&Delete", 376, 136},        {"Close", 376, 352},         {"Get D&ata", 272, 192},
    {"G&raph Data", 376, 220},    {"Sa&ve Data", 272, 248},    {"Vie&w Data", 272, 220},
    {"C&heck All", 272, 304},     {"Unchec&k All", 376, 304},  {"E&xpand All", 272, 326},
    {"C&ollapse All", 376, 326}};
constexpr int kButtonWidth = 100, kButtonHeight = 24;

} // namespace

void CDASConfigDialog::SetSettings(Settings settings) {
    TheSettings() = std::move(settings);
}

void CDASConfigDialog::SetDataWindows(DataWindows windows) {
    TheDataWindows() = std::move(windows);
}

const CDASConfigDialog::DataWindows& CDASConfigDialog::GetDataWindows() {
    return TheDataWindows();
}

CDASConfigDialog::CDASConfigDialog(CInstrumentConnection& instrument, QWidget* parent)
    : CResizableDialog(kLayoutSlot, parent), m_inst(instrument) {
    if (TheSettings().loadSelection)
        m_selection = TheSettings().loadSelection();
    {
        StateGuard guard(AppStateLock());
        m_showSamples = instrument.GetShowSampleCounts();
    }
    m_target = std::make_unique<QtMessageTarget>(
        this, [this](unsigned message, uintptr_t wParam, intptr_t lParam) {
            OnMessage(message, wParam, lParam);
        });

    auto anchor = [this](QWidget* widget, std::initializer_list<std::pair<int, int>> rules) {
        auto holder = std::make_unique<CResizableWidget>(widget);
        for (const auto& [kind, percent] : rules)
            holder->AddRule(kind, percent);
        AddControl(holder.get());
        m_anchors.push_back(std::move(holder));
    };
    const char* frameTexts[4] = {"Status", "Configuration", "Data", "Selection"};
    const QRect frameRects[4] = {QRect(8, 384, 472, 58), QRect(264, 4, 216, 164),
                                 QRect(264, 172, 216, 108), QRect(264, 284, 216, 70)};
    for (int i = 0; i < 4; ++i) {
        m_frames[i] = new QGroupBox(QString::fromLatin1(frameTexts[i]), this);
        m_frames[i]->setGeometry(frameRects[i]);
    }
    m_tree = new CResizableTreeCtrl(this);
    m_tree->setGeometry(8, 8, 248, 370);
    m_tree->setHeaderHidden(true);
    m_tree->setContextMenuPolicy(Qt::DefaultContextMenu);
    m_status = new QLabel(this);
    m_status->setGeometry(16, 402, 456, 16);
    m_progress = new CResizableProgressCtrl(this);
    m_progress->setGeometry(16, 420, 456, 14);
    m_progress->setTextVisible(false);
    m_progress->setRange(0, 100);
    m_progress->setValue(0);

    for (int i = 0; i < BUTTON_COUNT; ++i) {
        m_buttons[i] = new CResizableButton(QString::fromLatin1(kButtons[i].text), this);
        m_buttons[i]->setGeometry(kButtons[i].x, kButtons[i].y, kButtonWidth, kButtonHeight);
        m_buttons[i]->setAutoDefault(false);
        m_buttons[i]->AddRule(CResizableControl::LEFT_FULL, 100);
        AddControl(m_buttons[i]);
    }
    m_auto = new QCheckBox(QStringLiteral("Auto On&/Off"), this);
    m_auto->setGeometry(376, 192, kButtonWidth, kButtonHeight);
    m_samples = new QCheckBox(QStringLiteral("Sa&mples"), this);
    m_samples->setChecked(m_showSamples);
    m_samples->setGeometry(376, 248, kButtonWidth, kButtonHeight);
    for (QWidget* w : {static_cast<QWidget*>(m_auto), static_cast<QWidget*>(m_samples),
                       static_cast<QWidget*>(m_frames[1]), static_cast<QWidget*>(m_frames[2]),
                       static_cast<QWidget*>(m_frames[3])})
        anchor(w, {{CResizableControl::LEFT_FULL, 100}});
    m_tree->AddRule(CResizableControl::WIDTH_FULL, 100);
    m_tree->AddRule(CResizableControl::HEIGHT_FULL, 100);
    AddControl(m_tree);
    anchor(m_frames[0], {{CResizableControl::WIDTH_FULL, 100}, {CResizableControl::TOP_FULL, 100}});
    anchor(m_status, {{CResizableControl::WIDTH_FULL, 100}, {CResizableControl::TOP_FULL, 100}});
    m_progress->AddRule(CResizableControl::WIDTH_FULL, 100);
    m_progress->AddRule(CResizableControl::TOP_FULL, 100);
    AddControl(m_progress);
    // The frames sit behind the controls they hold.
    for (QGroupBox* frame : m_frames)
        frame->lower();
    resize(488, 450);

    const std::pair<Control, void (CDASConfigDialog::*)()> commands[] = {
        {GET_CONFIG, &CDASConfigDialog::OnGetConfig},
        {SEND_CONFIG, &CDASConfigDialog::OnSendConfig},
        {LOAD_CONFIG, &CDASConfigDialog::OnLoadConfig},
        {SAVE_CONFIG, &CDASConfigDialog::OnSaveConfig},
        {NEW_CONFIG, &CDASConfigDialog::OnNewConfig},
        {NEW_CHANNEL, &CDASConfigDialog::OnNewChannel},
        {NEW_PARAMETER, &CDASConfigDialog::OnNewParameter},
        {DUPLICATE, &CDASConfigDialog::OnDuplicate},
        {EDIT, &CDASConfigDialog::OnEdit},
        {DELETE_ITEM, &CDASConfigDialog::OnDelete},
        {CLOSE, &CDASConfigDialog::reject},
        {GET_DATA, &CDASConfigDialog::OnGetData},
        {GRAPH_DATA, &CDASConfigDialog::OnGraphData},
        {SAVE_DATA, &CDASConfigDialog::OnSaveData},
        {VIEW_DATA, &CDASConfigDialog::OnViewData}};
    for (const auto& [control, handler] : commands)
        connect(m_buttons[control], &QPushButton::clicked, this, handler);
    connect(m_buttons[CHECK_ALL], &QPushButton::clicked, this, [this] { OnSetAll(true); });
    connect(m_buttons[UNCHECK_ALL], &QPushButton::clicked, this, [this] { OnSetAll(false); });
    connect(m_buttons[EXPAND_ALL], &QPushButton::clicked, this, [this] { OnExpandAll(true); });
    connect(m_buttons[COLLAPSE_ALL], &QPushButton::clicked, this, [this] { OnExpandAll(false); });
    connect(m_auto, &QCheckBox::toggled, this, &CDASConfigDialog::OnAutoToggled);
    connect(m_samples, &QCheckBox::toggled, this, [this](bool on) { m_showSamples = on; });
    connect(&m_autoTimer, &QTimer::timeout, this, &CDASConfigDialog::OnAutoTimer);
    m_autoTimer.setInterval(kAutoDownloadMs);

    // A click or key in the tree: the model learns the tree's new state, and the tree at once
    // shows the model again (a parameter's tick follows its channel's). The signal comes after
    // the change, so one copy is enough: a second one would read the children's old ticks.
    auto treeChanged = [this] {
        if (!m_syncing) {
            CopyTreeState();
            UpdateControls();
        }
    };
    connect(m_tree, &QTreeWidget::itemChanged, this, treeChanged);
    auto expandedChanged = treeChanged;
    connect(m_tree, &QTreeWidget::itemExpanded, this, expandedChanged);
    connect(m_tree, &QTreeWidget::itemCollapsed, this, expandedChanged);
    connect(m_tree, &QTreeWidget::currentItemChanged, this, [this] {
        if (!m_syncing)
            UpdateControls();
    });

    m_channelMenu = new QMenu(QStringLiteral("Channel"), this);
    m_menuNewChannel = m_channelMenu->addAction(QStringLiteral("New &Channel"), this,
                                                &CDASConfigDialog::OnNewChannel);
    m_menuDupChannel = m_channelMenu->addAction(QStringLiteral("D&uplicate Channel"), this,
                                                &CDASConfigDialog::OnDuplicate);
    m_channelMenu->addAction(QStringLiteral("&Edit Channel"), this, &CDASConfigDialog::OnEdit);
    m_channelMenu->addAction(QStringLiteral("&Delete Channel"), this, &CDASConfigDialog::OnDelete);
    m_selectChannel = m_channelMenu->addAction(QStringLiteral("&Select Channel"), this,
                                               &CDASConfigDialog::OnSelectChannel);
    m_selectChannel->setCheckable(true);
    m_channelMenu->addSeparator();
    m_menuNewParamOnChannel = m_channelMenu->addAction(QStringLiteral("New &Parameter"), this,
                                                       &CDASConfigDialog::OnNewParameter);
    m_parameterMenu = new QMenu(QStringLiteral("Parameter"), this);
    m_menuNewParameter = m_parameterMenu->addAction(QStringLiteral("New &Parameter"), this,
                                                    &CDASConfigDialog::OnNewParameter);
    m_menuDupParameter = m_parameterMenu->addAction(QStringLiteral("D&uplicate Parameter"), this,
                                                    &CDASConfigDialog::OnDuplicate);
    m_parameterMenu->addAction(QStringLiteral("&Edit Parameter"), this, &CDASConfigDialog::OnEdit);
    m_parameterMenu->addAction(QStringLiteral("&Delete Parameter"), this,
                               &CDASConfigDialog::OnDelete);
    m_selectParameter = m_parameterMenu->addAction(QStringLiteral("&Select Parameter"), this,
                                                   &CDASConfigDialog::OnSelectParameter);
    m_selectParameter->setCheckable(true);
}

CDASConfigDialog::~CDASConfigDialog() {
    // Messages still on their way must not reach a window that is going away.
    m_target->Detach();
}

void CDASConfigDialog::OnInitDialog() {
    std::string name, site;
    {
        StateGuard guard(AppStateLock());
        name = m_inst.GetName();
        site = m_inst.GetSiteName();
    }
    char caption[512];
    std::snprintf(caption, sizeof caption, LoadString(61244).c_str(), name.c_str(), site.c_str());
    setWindowTitle(ToQt(caption));
    CResizableDialog::OnInitDialog();
    Activate(true);
    // The saved slot gives the corner only; the window always opens at its own size.
    QPoint corner(20, 348);
    if (AppServices* app = AppServices::Get()) {
        const Rect r = app->GetWindowLayout(kLayoutSlot);
        if (r.left != AppServices::kUnset)
            corner = QPoint(r.left, r.top);
    }
    move(corner);
    resize(488, 450);
    BuildTree();
    SetIdle(true);
    PostTreeSync(0);
}

// ---- tree ---------------------------------------------------------------------------------

QTreeWidgetItem* CDASConfigDialog::AddChannelItem(CDASChannel* channel) {
    auto* item = new QTreeWidgetItem(m_tree);
    item->setText(0, ToQt(channel->GetText(0)));
    item->setData(0, ROLE_OBJECT, QVariant::fromValue(reinterpret_cast<quintptr>(channel)));
    item->setData(0, ROLE_IS_PARAMETER, false);
    item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
    item->setCheckState(0, channel->IsSelected() ? Qt::Checked : Qt::Unchecked);
    for (CNamedObject* object : channel->Parameters())
        AddParameterItem(item, static_cast<CDASParameter*>(object));
    return item;
}

QTreeWidgetItem* CDASConfigDialog::AddParameterItem(QTreeWidgetItem* channelItem,
                                                    CDASParameter* parameter) {
    auto* item = new QTreeWidgetItem(channelItem);
    item->setText(0, ToQt(parameter->GetText(0)));
    item->setData(0, ROLE_OBJECT, QVariant::fromValue(reinterpret_cast<quintptr>(parameter)));
    item->setData(0, ROLE_IS_PARAMETER, true);
    item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
    item->setCheckState(0, parameter->IsSelected() ? Qt::Checked : Qt::Unchecked);
    return item;
}

void CDASConfigDialog::BuildTree() {
    m_syncing = true;
    m_tree->clear();
    {
        StateGuard guard(AppStateLock());
        for (CNamedObject* object : m_inst.DasChannels())
            AddChannelItem(static_cast<CDASChannel*>(object));
    }
    m_syncing = false;
}

void CDASConfigDialog::CopyTreeState() {
    const bool checkboxes = TheSettings().useCheckboxes && TheSettings().useCheckboxes();
    bool modified = false;
    StateGuard guard(AppStateLock());
    for (int i = 0; i < m_tree->topLevelItemCount(); ++i) {
        QTreeWidgetItem* item = m_tree->topLevelItem(i);
        CDASChannel* channel = ChannelOf(item);
        if (item->isExpanded() != channel->GetExpanded()) {
            channel->SetExpanded(item->isExpanded());
            modified = true;
        }
        if (!checkboxes)
            continue;
        const bool checked = item->checkState(0) == Qt::Checked;
        if (checked == channel->IsSelected()) {
            for (int k = 0; k < item->childCount(); ++k) {
                QTreeWidgetItem* child = item->child(k);
                CDASParameter* parameter = ParameterOf(child);
                const bool on = child->checkState(0) == Qt::Checked;
                if (on != parameter->IsSelected()) {
                    parameter->SetSelected(on);
                    channel->SetSelectedOnly(false);
                    modified = true;
                }
            }
        } else {
            channel->SetSelected(checked);
            modified = true;
        }
    }
    if (modified)
        AppSetModified();
}

void CDASConfigDialog::PostTreeSync(int how) {
    m_target->Post(MSG_TREE_SYNC, static_cast<uintptr_t>(how), 0);
}

CDASChannel* CDASConfigDialog::CurrentChannel() const {
    return ChannelOf(m_tree->currentItem());
}

CDASParameter* CDASConfigDialog::CurrentParameter() const {
    return ParameterOf(m_tree->currentItem());
}

// ---- enables ------------------------------------------------------------------------------

void CDASConfigDialog::SetIdle(bool idle) {
    m_idle = idle;
    UpdateControls();
}

void CDASConfigDialog::UpdateControls() {
    StateGuard guard(AppStateLock());
    if (m_idle || m_automatic) {
        m_syncing = true;
        for (int i = 0; i < m_tree->topLevelItemCount(); ++i) {
            QTreeWidgetItem* item = m_tree->topLevelItem(i);
            CDASChannel* channel = ChannelOf(item);
            item->setCheckState(0, channel->IsSelected() ? Qt::Checked : Qt::Unchecked);
            item->setExpanded(channel->GetExpanded());
            for (int k = 0; k < item->childCount(); ++k)
                item->child(k)->setCheckState(
                    0, ParameterOf(item->child(k))->IsSelected() ? Qt::Checked : Qt::Unchecked);
        }
        m_syncing = false;
    }
    const bool connected = m_inst.IsConnected();
    const bool lists = !m_inst.DasEvents().IsEmpty() && !m_inst.DasPoints().IsEmpty();
    bool anySelected = false;
    for (CNamedObject* object : m_inst.DasChannels()) {
        auto* channel = static_cast<CDASChannel*>(object);
        anySelected = anySelected || channel->IsSelected() || channel->AnyParameterSelected();
    }
    const bool channelRoom = m_inst.CanAddDasChannel();
    CDASChannel* channel = CurrentChannel();
    const bool current = channel != nullptr;
    const bool parameterRoom = channel && channel->CanAddParameter();
    const bool onChannel = current && !CurrentParameter();

    m_tree->setEnabled(m_idle);
    auto enable = [this](Control c, bool on) { m_buttons[c]->setEnabled(on); };
    enable(GET_CONFIG, m_idle && connected);
    enable(SEND_CONFIG, m_idle && connected && lists && m_inst.HasCapability(CAP_DAS_EVENT_PARAM));
    enable(LOAD_CONFIG, m_idle);
    enable(SAVE_CONFIG, m_idle);
    enable(NEW_CONFIG, m_idle);
    enable(NEW_CHANNEL, m_idle && lists && channelRoom);
    enable(NEW_PARAMETER, m_idle && lists && current && parameterRoom);
    enable(DUPLICATE, m_idle && lists &&
                          ((onChannel && channelRoom) || (!onChannel && current && parameterRoom)));
    enable(EDIT, m_idle && lists && current);
    enable(DELETE_ITEM, m_idle && lists && current);
    enable(CLOSE, m_idle);
    m_auto->setEnabled((m_idle || m_automatic) && !m_busy && connected);
    for (Control c : {GET_DATA, GRAPH_DATA, SAVE_DATA, VIEW_DATA})
        enable(c, m_idle && connected && anySelected);
    m_samples->setEnabled(m_idle && connected && m_inst.HasCapability(CAP_NEW_DAS));
    for (Control c : {CHECK_ALL, UNCHECK_ALL, EXPAND_ALL, COLLAPSE_ALL})
        enable(c, m_idle);
}

// ---- messages -----------------------------------------------------------------------------

void CDASConfigDialog::SetStatus(const std::string& text) {
    m_status->setText(ToQt(text));
}

void CDASConfigDialog::SetProgressRange(int count) {
    m_progress->setRange(0, count > 0 ? count : 1);
    m_progress->setValue(0);
}

void CDASConfigDialog::StepProgress() {
    if (m_progress->value() < m_progress->maximum())
        m_progress->setValue(m_progress->value() + 1);
}

void CDASConfigDialog::ResetProgress() {
    m_progress->setValue(0);
}

void CDASConfigDialog::StartExchange() {
    m_busy = true;
    SetIdle(false);
}

void CDASConfigDialog::EndExchange() {
    m_busy = false;
    SetStatus(std::string());
    ResetProgress();
    if (m_automatic) {
        UpdateControls();
        return;
    }
    SetIdle(true);
    m_buttons[CLOSE]->setFocus();
}

void CDASConfigDialog::OnMessage(unsigned message, uintptr_t wParam, intptr_t lParam) {
    switch (message) {
    case MSG_TREE_SYNC:
        if (wParam == 1 || wParam == 2)
            CopyTreeState();
        UpdateControls();
        break;
    case DASM_RANGE:
        SetProgressRange(static_cast<int>(wParam));
        break;
    case DASM_STEP:
        StepProgress();
        break;
    case DASM_DOWNLOAD_START: {
        std::string name;
        {
            StateGuard guard(AppStateLock());
            // The worker names the channel; it is still in the list, as editing is locked.
            for (CNamedObject* object : m_inst.DasChannels())
                if (reinterpret_cast<intptr_t>(object) == lParam)
                    name = object->GetName();
        }
        SetStatus(Format(61217, name));
        SetProgressRange(static_cast<int>(wParam));
        break;
    }
    case DASM_DOWNLOAD_OK:
        QTimer::singleShot(100, this, [this] {
            if (m_automatic && TheDataWindows().save) {
                // Automatic saves: each channel's own file, no message boxes.
                for (uint32_t handle : m_request) {
                    std::string path;
                    bool append = false;
                    CDataRecordSet set;
                    {
                        StateGuard guard(AppStateLock());
                        CDASChannel* channel = CDASChannel::FindByHandle(m_inst, handle);
                        if (!channel)
                            continue;
                        path = channel->GetAutoDownloadFile();
                        append = channel->GetAppendToFile();
                        channel->FillRecordSet(set);
                    }
                    if (!path.empty() && set.GetCount() > 0 && set.GetRows() > 0)
                        TheDataWindows().save(set, path, append, *this);
                }
            }
            BuildTree();
            EndExchange();
        });
        break;
    case DASM_DOWNLOAD_FAILED:
        BuildTree();
        EndExchange();
        break;
    case DASM_FETCH_OK:
        QTimer::singleShot(100, this, [this] {
            BuildTree();
            EndExchange();
        });
        break;
    case DASM_FETCH_FAILED:
        BuildTree();
        EndExchange();
        break;
    case DASM_SEND_OK:
        QTimer::singleShot(100, this, [this] {
            EndExchange();
            Ask(LoadString(61260), 61240, PromptButtons::Ok, PromptIcon::Information,
                PromptResult::Ok);
        });
        break;
    case DASM_SEND_FAILED:
        QTimer::singleShot(100, this, [this] {
            EndExchange();
            ShowDialogError(LoadString(61261));
        });
        break;
    default:
        break;
    }
}

// ---- configuration commands ---------------------------------------------------------------

bool CDASConfigDialog::AskConfirm(unsigned textId) {
    return Ask(LoadString(textId), IDS_CONFIRM, PromptButtons::YesNo, PromptIcon::Question,
               PromptResult::No) == PromptResult::Yes;
}

static bool DasModified(const CInstrumentConnection& inst) {
    StateGuard guard(AppStateLock());
    return inst.GetDasModified();
}

void CDASConfigDialog::OnGetConfig() {
    if (DasModified(m_inst) && !AskConfirm(61303))
        return;
    StartExchange();
    SetStatus(LoadString(61216));
    m_syncing = true;
    m_tree->clear();
    m_syncing = false;
    // Without a worker to take it the request is lost: the window must not wait for it.
    if (!m_inst.RequestFetchDasConfig(m_target.get())) {
        BuildTree();
        EndExchange();
    }
}

void CDASConfigDialog::OnSendConfig() {
    if (!AskConfirm(61255))
        return;
    StartExchange();
    SetStatus(LoadString(61262));
    if (!m_inst.RequestSendDasConfig(m_target.get()))
        EndExchange();
}

void CDASConfigDialog::OnLoadConfig() {
    if (DasModified(m_inst) && !AskConfirm(61303))
        return;
    CAppFileDialog chooser(true, StringText(61225), QString(), CAppFileDialog::OFN_FILEMUSTEXIST,
                           StringText(61222), this);
    if (chooser.exec() != QDialog::Accepted)
        return;
    m_syncing = true;
    m_tree->clear();
    m_syncing = false;
    std::string error;
    if (!LoadDASScriptFile(m_inst, FromQt(chooser.GetPathName()), error))
        Ask(error, IDS_ERROR, PromptButtons::Ok, PromptIcon::Exclamation, PromptResult::Ok);
    BuildTree();
    UpdateControls();
}

void CDASConfigDialog::OnSaveConfig() {
    CAppFileDialog chooser(false, StringText(61225), ToQt(ProposedDASScriptName(m_inst)),
                           CAppFileDialog::OFN_HIDEREADONLY, StringText(61222), this);
    chooser.setOption(QFileDialog::DontConfirmOverwrite, false);
    if (chooser.exec() != QDialog::Accepted)
        return;
    std::string error;
    if (!SaveDASScriptFile(m_inst, FromQt(chooser.GetPathName()), error))
        Ask(error, IDS_ERROR, PromptButtons::Ok, PromptIcon::Exclamation, PromptResult::Ok);
    UpdateControls();
}

void CDASConfigDialog::OnNewConfig() {
    if (DasModified(m_inst) && !AskConfirm(61303))
        return;
    m_syncing = true;
    m_tree->clear();
    m_syncing = false;
    {
        StateGuard guard(AppStateLock());
        m_inst.DasChannels().DeleteAll();
        m_inst.SetDasModified(false);
    }
    AppSetModified();
    UpdateControls();
}

static void MarkDasModified(CInstrumentConnection& inst) {
    {
        StateGuard guard(AppStateLock());
        inst.SetDasModified(true);
    }
    AppSetModified();
}

void CDASConfigDialog::OnNewChannel() {
    {
        StateGuard guard(AppStateLock());
        if (!m_inst.CanAddDasChannel())
            return;
    }
    auto* channel = new CDASChannel(&m_inst);
    if (!channel->Edit()) {
        delete channel;
        return;
    }
    QTreeWidgetItem* item;
    {
        StateGuard guard(AppStateLock());
        m_inst.DasChannels().AddTail(channel);
        m_syncing = true;
        item = AddChannelItem(channel);
        m_syncing = false;
    }
    m_tree->setCurrentItem(item);
    MarkDasModified(m_inst);
    UpdateControls();
}

void CDASConfigDialog::OnNewParameter() {
    QTreeWidgetItem* current = m_tree->currentItem();
    CDASChannel* channel = CurrentChannel();
    if (!channel)
        return;
    QTreeWidgetItem* channelItem = ParameterOf(current) ? current->parent() : current;
    {
        StateGuard guard(AppStateLock());
        if (!channel->CanAddParameter())
            return;
    }
    auto* parameter = new CDASParameter(channel);
    if (!parameter->Edit()) {
        delete parameter;
        return;
    }
    QTreeWidgetItem* item;
    {
        StateGuard guard(AppStateLock());
        channel->Parameters().AddTail(parameter);
        m_syncing = true;
        item = AddParameterItem(channelItem, parameter);
        m_syncing = false;
    }
    m_tree->setCurrentItem(item);
    MarkDasModified(m_inst);
    UpdateControls();
}

void CDASConfigDialog::OnDuplicate() {
    QTreeWidgetItem* current = m_tree->currentItem();
    CDASChannel* channel = CurrentChannel();
    if (!channel)
        return;
    if (CDASParameter* parameter = CurrentParameter()) {
        QTreeWidgetItem* item;
        {
            StateGuard guard(AppStateLock());
            if (!channel->CanAddParameter())
                return;
            auto* copy = static_cast<CDASParameter*>(parameter->Clone());
            channel->Parameters().AddTail(copy);
            m_syncing = true;
            item = AddParameterItem(current->parent(), copy);
            m_syncing = false;
        }
        m_tree->setCurrentItem(item);
        MarkDasModified(m_inst);
        UpdateControls();
        return;
    }
    CDASChannel* copy;
    {
        StateGuard guard(AppStateLock());
        if (!m_inst.CanAddDasChannel())
            return;
        copy = static_cast<CDASChannel*>(channel->Clone());
        copy->SetName(std::string());
    }
    if (!copy->Edit()) {
        delete copy;
        return;
    }
    QTreeWidgetItem* item;
    {
        StateGuard guard(AppStateLock());
        m_inst.DasChannels().AddTail(copy);
        m_syncing = true;
        item = AddChannelItem(copy);
        m_syncing = false;
    }
    m_tree->setCurrentItem(item);
    MarkDasModified(m_inst);
    UpdateControls();
}

void CDASConfigDialog::OnEdit() {
    QTreeWidgetItem* current = m_tree->currentItem();
    if (!current)
        return;
    CDASParameter* parameter = CurrentParameter();
    CDASChannel* channel = CurrentChannel();
    if (!(parameter ? parameter->Edit() : channel->Edit()))
        return;
    {
        StateGuard guard(AppStateLock());
        m_syncing = true;
        current->setText(0, ToQt(parameter ? parameter->GetText(0) : channel->GetText(0)));
        m_syncing = false;
    }
    MarkDasModified(m_inst);
    UpdateControls();
}

void CDASConfigDialog::OnDelete() {
    QTreeWidgetItem* current = m_tree->currentItem();
    if (!current || !ConfirmDelete(FromQt(current->text(0))))
        return;
    CDASParameter* parameter = CurrentParameter();
    CDASChannel* channel = CurrentChannel();
    QTreeWidgetItem* parent = current->parent();
    const int index = parent ? parent->indexOfChild(current) : m_tree->indexOfTopLevelItem(current);
    const int siblings = parent ? parent->childCount() : m_tree->topLevelItemCount();
    auto sibling = [&](int i) { return parent ? parent->child(i) : m_tree->topLevelItem(i); };
    QTreeWidgetItem* next = index + 1 < siblings ? sibling(index + 1)
                            : index > 0          ? sibling(index - 1)
                                                 : parent;
    m_syncing = true;
    m_tree->setCurrentItem(next);
    delete current;
    m_syncing = false;
    {
        StateGuard guard(AppStateLock());
        if (parameter)
            channel->Parameters().Delete(parameter);
        else
            m_inst.DasChannels().Delete(channel);
    }
    MarkDasModified(m_inst);
    UpdateControls();
}

void CDASConfigDialog::OnSelectChannel() {
    if (CDASChannel* channel = CurrentChannel()) {
        {
            StateGuard guard(AppStateLock());
            channel->SetSelected(!channel->IsSelected());
        }
        AppSetModified();
        UpdateControls();
    }
}

void CDASConfigDialog::OnSelectParameter() {
    if (CDASParameter* parameter = CurrentParameter()) {
        {
            StateGuard guard(AppStateLock());
            parameter->SetSelected(!parameter->IsSelected());
            CurrentChannel()->SetSelectedOnly(false);
        }
        AppSetModified();
        UpdateControls();
    }
}

void CDASConfigDialog::OnSetAll(bool selected) {
    {
        StateGuard guard(AppStateLock());
        for (CNamedObject* object : m_inst.DasChannels())
            static_cast<CDASChannel*>(object)->SetSelected(selected);
    }
    AppSetModified();
    UpdateControls();
}

void CDASConfigDialog::OnExpandAll(bool expanded) {
    {
        StateGuard guard(AppStateLock());
        for (CNamedObject* object : m_inst.DasChannels())
            static_cast<CDASChannel*>(object)->SetExpanded(expanded);
    }
    AppSetModified();
    UpdateControls();
}

QMenu* CDASConfigDialog::PrepareContextMenu() {
    CDASChannel* channel = CurrentChannel();
    if (!channel)
        return nullptr;
    StateGuard guard(AppStateLock());
    const bool channelRoom = m_inst.CanAddDasChannel();
    const bool parameterRoom = channel->CanAddParameter();
    if (CDASParameter* parameter = CurrentParameter()) {
        m_menuNewParameter->setEnabled(parameterRoom);
        m_menuDupParameter->setEnabled(parameterRoom);
        m_selectParameter->setChecked(parameter->IsSelected());
        return m_parameterMenu;
    }
    m_menuNewChannel->setEnabled(channelRoom);
    m_menuDupChannel->setEnabled(channelRoom);
    m_menuNewParamOnChannel->setEnabled(parameterRoom);
    m_selectChannel->setChecked(channel->IsSelected());
    return m_channelMenu;
}

void CDASConfigDialog::contextMenuEvent(QContextMenuEvent* event) {
    if (!m_tree->isEnabled() || !m_tree->geometry().contains(event->pos()))
        return;
    const QPoint at = m_tree->viewport()->mapFrom(this, event->pos());
    QTreeWidgetItem* item = m_tree->itemAt(at);
    if (!item)
        return;
    m_tree->setCurrentItem(item);
    if (QMenu* menu = PrepareContextMenu())
        menu->exec(event->globalPos());
}

// ---- data commands ------------------------------------------------------------------------

void CDASConfigDialog::PostDownload(const std::vector<CDASChannel*>& channels) {
    if (channels.empty())
        return;
    m_request.clear();
    for (CDASChannel* channel : channels)
        m_request.push_back(channel->GetHandle());
    StartExchange();
    if (!m_inst.RequestDownloadDasData(m_target.get(), m_request))
        EndExchange();
}

void CDASConfigDialog::OnGetData() {
    CSelectRecordsDialog select(&m_inst, m_selection, this);
    if (ExecWindowModal(select) != QDialog::Accepted)
        return;
    std::vector<CDASChannel*> channels;
    {
        StateGuard guard(AppStateLock());
        if (TheSettings().storeSelection)
            TheSettings().storeSelection(m_selection);
        for (CNamedObject* object : m_inst.DasChannels()) {
            auto* channel = static_cast<CDASChannel*>(object);
            if (channel->IsSelected() || channel->AnyParameterSelected()) {
                channel->SetActiveSelection(&m_selection);
                channels.push_back(channel);
            }
        }
    }
    PostDownload(channels);
}

void CDASConfigDialog::OnAutoToggled(bool on) {
    if (on) {
        if (m_automatic)
            return;
        m_automatic = true;
        SetIdle(false);
        m_autoTimer.start();
        return;
    }
    m_autoTimer.stop();
    m_automatic = false;
    // A download still running makes the window idle when it reports back.
    if (m_busy)
        UpdateControls();
    else
        SetIdle(true);
}

void CDASConfigDialog::OnAutoTimer() {
    if (!m_automatic || m_busy)
        return;
    std::vector<CDASChannel*> channels;
    {
        StateGuard guard(AppStateLock());
        for (CNamedObject* object : m_inst.DasChannels()) {
            auto* channel = static_cast<CDASChannel*>(object);
            if (channel->IsSelected() && channel->IsAutoDownloadDue()) {
                channel->SetActiveSelection(nullptr);
                channels.push_back(channel);
            }
        }
    }
    PostDownload(channels);
}

void CDASConfigDialog::AskDataWindows(const std::function<void(CDataRecordSet&)>& use) {
    m_showSamples = m_samples->isChecked();
    SetIdle(false);
    CDataRecordSet set;
    bool found = false;
    {
        StateGuard guard(AppStateLock());
        for (CNamedObject* object : m_inst.DasChannels()) {
            set.Clear();
            static_cast<CDASChannel*>(object)->FillRecordSet(set);
            if (set.GetCount() > 0 && set.GetRows() > 0) {
                found = true;
                break;
            }
        }
    }
    if (found)
        use(set);
    SetIdle(true);
}

void CDASConfigDialog::OnViewData() {
    if (TheDataWindows().view)
        AskDataWindows([this](CDataRecordSet& set) { TheDataWindows().view(set, *this); });
}

void CDASConfigDialog::OnGraphData() {
    if (TheDataWindows().graph)
        AskDataWindows([](CDataRecordSet& set) { TheDataWindows().graph(set); });
}

void CDASConfigDialog::OnSaveData() {
    if (!TheDataWindows().saveAs)
        return;
    m_showSamples = m_samples->isChecked();
    // The timer-driven actions (refresh, automatic disconnect) wait while files are written.
    {
        StateGuard guard(AppStateLock());
        m_inst.AddIdleCount(-1);
    }
    SetIdle(false);
    const std::vector<CNamedObject*> channels = [this] {
        StateGuard guard(AppStateLock());
        return m_inst.DasChannels().Snapshot();
    }();
    for (CNamedObject* object : channels) {
        CDataRecordSet set;
        {
            StateGuard guard(AppStateLock());
            static_cast<CDASChannel*>(object)->FillRecordSet(set);
        }
        if (set.GetCount() == 0 || set.GetRows() == 0)
            continue;
        if (!TheDataWindows().saveAs(set, *this))
            break;
    }
    SetIdle(true);
    StateGuard guard(AppStateLock());
    m_inst.AddIdleCount(1);
}

// ---- closing ------------------------------------------------------------------------------

void CDASConfigDialog::reject() {
    bool connected, modified;
    {
        StateGuard guard(AppStateLock());
        connected = m_inst.IsConnected();
        modified = m_inst.GetDasModified();
    }
    if (connected) {
        if (m_automatic || m_busy)
            return;
        if (modified && !AskConfirm(61302))
            return;
    }
    {
        StateGuard guard(AppStateLock());
        m_inst.SetShowSampleCounts(m_samples->isChecked());
    }
    m_autoTimer.stop();
    CResizableDialog::reject();
}
