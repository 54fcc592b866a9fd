#include "das/gui/DASDataViewDialog.h"

#include "base/AppServices.h"
#include "base/StateLock.h"
#include "base/Strings.h"
#include "connections/gui/DialogSupport.h"
#include "das/DASChannel.h"
#include "das/DASParameter.h"
#include "das/DataFileWriter.h"
#include "das/DataRecordSet.h"
#include "das/gui/DASConfigDialog.h"
#include "das/gui/GraphWindow.h"
#include "das/gui/RecordTableModel.h"
#include "instruments/InstrumentConnection.h"
#include "ui/AppFileDialog.h"
#include "ui/ResizableButton.h"
#include "ui/WindowModal.h"

#include <QHeaderView>
#include <QTableView>
#include <cstdio>

CDASDataViewDialog::CDASDataViewDialog(CDataRecordSet& set, CDASConfigDialog* dasWindow,
                                       QWidget* parent)
    : CResizableDialog(kLayoutSlot, parent), m_set(set), m_dasWindow(dasWindow) {
    resize(520, 360);
    m_table = new QTableView(this);
    m_table->setGeometry(8, 8, 412, 344);
    m_model =
        std::make_unique<CRecordTableModel>(set, dasWindow ? dasWindow->ShowSamples() : false);
    m_table->setModel(m_model.get());
    m_table->verticalHeader()->hide();
    // Every row the same height: the view then never measures rows it does not show.
    m_table->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_table->verticalHeader()->setDefaultSectionSize(m_table->fontMetrics().height() + 6);
    m_table->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setShowGrid(true);
    m_tableAnchor.Attach(m_table);
    m_tableAnchor.AddRule(CResizableControl::WIDTH_FULL, 100);
    m_tableAnchor.AddRule(CResizableControl::HEIGHT_FULL, 100);
    AddControl(&m_tableAnchor);
    m_close = new CResizableButton(QStringLiteral("Close"), this);
    m_graph = new CResizableButton(QStringLiteral("&Graph Data"), this);
    m_save = new CResizableButton(QStringLiteral("&Save Data"), this);
    int y = 8;
    for (CResizableButton* b : {m_close, m_graph, m_save}) {
        b->setGeometry(428, y, 84, 24);
        b->setAutoDefault(false);
        b->AddRule(CResizableControl::LEFT_FULL, 100);
        AddControl(b);
        y += 30;
    }
    connect(m_close, &QPushButton::clicked, this, &CDASDataViewDialog::reject);
    connect(m_graph, &QPushButton::clicked, this, &CDASDataViewDialog::OnGraphData);
    connect(m_save, &QPushButton::clicked, this, &CDASDataViewDialog::OnSaveData);
}

CDASDataViewDialog::~CDASDataViewDialog() {
    m_table->setModel(nullptr);
}

void CDASDataViewDialog::OnInitDialog() {
    std::string name, site;
    {
        StateGuard guard(AppStateLock());
        auto* first = dynamic_cast<CDASParameter*>(m_set.GetParameter(0));
        CDASChannel* channel = first ? first->GetChannel() : nullptr;
        if (CInstrumentConnection* inst = channel ? channel->GetInstrument() : nullptr) {
            name = inst->GetName();
            site = inst->GetSiteName();
        }
    }
    char caption[512];
    std::snprintf(caption, sizeof caption, LoadString(61242).c_str(), name.c_str(), site.c_str());
    setWindowTitle(ToQt(caption));
    CResizableDialog::OnInitDialog();
    Activate(true);
    // Time 120 and the others 60, or shares of the width when that gives them more.
    const int columns = m_model->columnCount();
    const int w = (m_table->viewport()->width() - 20) / (columns + 1);
    for (int c = 0; c < columns; ++c)
        m_table->setColumnWidth(c, w > 60 ? (c == 0 ? 2 * w : w) : (c == 0 ? 120 : 60));
    EnableControls(true);
}

void CDASDataViewDialog::EnableControls(bool on) {
    for (QWidget* w : {static_cast<QWidget*>(m_close), static_cast<QWidget*>(m_graph),
                       static_cast<QWidget*>(m_save), static_cast<QWidget*>(m_table)})
        w->setEnabled(on);
}

void CDASDataViewDialog::OnGraphData() {
    EnableControls(false);
    if (const auto& graph = CDASConfigDialog::GetDataWindows().graph)
        graph(m_set);
    EnableControls(true);
}

void CDASDataViewDialog::OnSaveData() {
    CInstrumentConnection* inst = nullptr;
    {
        StateGuard guard(AppStateLock());
        auto* first = dynamic_cast<CDASParameter*>(m_set.GetParameter(0));
        inst = first && first->GetChannel() ? first->GetChannel()->GetInstrument() : nullptr;
        if (inst)
            inst->AddIdleCount(-1);
    }
    EnableControls(false);
    SaveRecordSetAs(m_set, m_dasWindow, this);
    EnableControls(true);
    if (inst) {
        StateGuard guard(AppStateLock());
        inst->AddIdleCount(1);
    }
}

namespace {

DataFileProgress ProgressOf(CDASConfigDialog* window) {
    DataFileProgress progress;
    if (window) {
        progress.status = [window](const std::string& text) { window->SetStatus(text); };
        progress.range = [window](int32_t rows) { window->SetProgressRange(rows); };
        progress.step = [window] { window->StepProgress(); };
    }
    return progress;
}

} // namespace

bool CDASDataViewDialog::SaveRecordSetAs(CDataRecordSet& set, CDASConfigDialog* dasWindow,
                                         QWidget* parent) {
    std::string proposed;
    {
        StateGuard guard(AppStateLock());
        if (set.GetCount() == 0 || set.GetRows() == 0)
            return true;
        proposed = ProposedDataFileName(set, DateTime::Now());
    }
    CAppFileDialog chooser(false, StringText(61224), ToQt(proposed),
                           CAppFileDialog::OFN_OVERWRITEPROMPT | CAppFileDialog::OFN_HIDEREADONLY,
                           StringText(61219), parent ? parent : DialogParent());
    if (chooser.exec() != QDialog::Accepted)
        return false;
    AppServices* app = AppServices::Get();
    const DataFileProgress progress = ProgressOf(dasWindow);
    return ::SaveRecordSet(set, FromQt(chooser.GetPathName()), chooser.GetAppend(),
                           dasWindow && dasWindow->ShowSamples(), app ? app->GetPrompt() : nullptr,
                           &progress);
}

bool CDASDataViewDialog::SaveRecordSet(CDataRecordSet& set, const std::string& path, bool append,
                                       CDASConfigDialog* dasWindow) {
    const DataFileProgress progress = ProgressOf(dasWindow);
    return ::SaveRecordSet(set, path, append, dasWindow && dasWindow->ShowSamples(), nullptr,
                           &progress);
}

void CDASDataViewDialog::Install() {
    CDASConfigDialog::DataWindows windows = CDASConfigDialog::GetDataWindows();
    windows.view = [](CDataRecordSet& set, CDASConfigDialog& window) {
        CDASDataViewDialog view(set, &window, &window);
        view.exec();
    };
    windows.graph = [](CDataRecordSet& set) { CGraphWindow::ShowGraph(set); };
    windows.saveAs = [](CDataRecordSet& set, CDASConfigDialog& window) {
        return SaveRecordSetAs(set, &window, &window);
    };
    windows.save = [](CDataRecordSet& set, const std::string& path, bool append,
                      CDASConfigDialog& window) {
        return SaveRecordSet(set, path, append, &window);
    };
    CDASConfigDialog::SetDataWindows(std::move(windows));
}
