#include "das/gui/GraphWindow.h"

#include "base/AppServices.h"
#include "base/StateLock.h"
#include "base/Strings.h"
#include "connections/gui/DialogSupport.h"
#include "das/DASChannel.h"
#include "das/DASParameter.h"
#include "das/DataRecordSet.h"
#include "das/gui/ChartAdapter.h"
#include "instruments/InstrumentConnection.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QVBoxLayout>
#include <cmath>
#include <cstdio>

namespace {
int g_open = 0;
}

int CGraphWindow::OpenCount() {
    return g_open;
}

CGraphWindow::CGraphWindow() : QWidget(nullptr, Qt::Window) {
    ++g_open;
    setAttribute(Qt::WA_DeleteOnClose);
    m_chart = new CChartAdapter(this);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_chart);
}

CGraphWindow::~CGraphWindow() {
    --g_open;
}

void CGraphWindow::closeEvent(QCloseEvent* event) {
    if (AppServices* app = AppServices::Get()) {
        const QRect g = geometry();
        app->SetWindowLayout(kLayoutSlot, Rect{g.left(), g.top(), g.right() + 1, g.bottom() + 1});
    }
    QWidget::closeEvent(event);
}

CGraphWindow* CGraphWindow::ShowGraph(const CDataRecordSet& set) {
    if (g_open >= kMaxWindows)
        return nullptr;
    std::vector<CChartAdapter::Series> series;
    std::vector<uint32_t> times;
    std::string site, inst, channel;
    {
        StateGuard guard(AppStateLock());
        const int32_t count = set.GetCount(), rows = set.GetRows();
        if (count == 0 || rows == 0)
            return nullptr;
        series.resize(static_cast<size_t>(count));
        times.resize(static_cast<size_t>(rows));
        for (int32_t i = 0; i < count; ++i) {
            CChartAdapter::Series& s = series[static_cast<size_t>(i)];
            s.values.resize(static_cast<size_t>(rows));
            for (int32_t r = 0; r < rows; ++r) {
                const CDataRecord record = *set.GetRecord(r, i);
                s.values[static_cast<size_t>(r)] = record.IsValid() ? record.GetValue() : NAN;
                if (i == 0)
                    times[static_cast<size_t>(r)] = record.GetTime();
            }
            s.name = ToQt(set.GetParameter(i)->GetDisplayName());
        }
        auto* first = dynamic_cast<CDASParameter*>(set.GetParameter(0));
        if (CDASChannel* ch = first ? first->GetChannel() : nullptr) {
            channel = ch->GetText(TEXT_NAME_ONLY);
            if (CInstrumentConnection* i = ch->GetInstrument()) {
                inst = i->GetName();
                site = i->GetSiteName();
            }
        }
    }
    auto* window = new CGraphWindow;
    window->m_chart->SetData(std::move(series), std::move(times));
    char title[512];
    std::snprintf(title, sizeof title, LoadString(61218).c_str(), site.c_str(), inst.c_str(),
                  channel.c_str());
    window->setWindowTitle(ToQt(title));
    QRect place;
    if (AppServices* app = AppServices::Get()) {
        const Rect r = app->GetWindowLayout(kLayoutSlot);
        if (r.left != AppServices::kUnset)
            place = QRect(r.left, r.top, r.Width(), r.Height());
    }
    if (place.isNull()) {
        const QScreen* screen = QGuiApplication::primaryScreen();
        const int right = screen ? screen->geometry().right() + 1 : 1024;
        place = QRect(right - 400, 20, 400, 280);
    }
    window->setGeometry(place);
    window->show();
    return window;
}
