#include "das/gui/ChartAdapter.h"

#include "das/DataRecord.h"

#include <QContextMenuEvent>
#include <QFileDialog>
#include <QMenu>
#include <QVBoxLayout>
#include <cmath>
#include <memory>
#include <qcustomplot.h>

namespace {

// Index ticks at whole rows, labelled with that row's time, as many as fit.
class RowTimeTicker : public QCPAxisTicker {
public:
    std::vector<uint32_t> times;

    QString Label(double tick) const {
        const double row = std::round(tick);
        if (row < 0 || row >= static_cast<double>(times.size()) || std::fabs(row - tick) > 1e-6)
            return QString();
        const CDataRecord record(0, 0, times[static_cast<size_t>(row)], true);
        return QString::fromLatin1(record.GetText(REC_LABEL, 0).c_str());
    }

protected:
    double getTickStep(const QCPRange& range) override {
        // Rows are whole numbers: never a step below one row.
        return std::max(1.0, std::ceil(QCPAxisTicker::getTickStep(range)));
    }
    QString getTickLabel(double tick, const QLocale&, QChar, int) override { return Label(tick); }
};

const QColor kColours[] = {QColor(0, 90, 200),    QColor(200, 40, 40),  QColor(20, 150, 60),
                           QColor(160, 80, 200),  QColor(230, 130, 0),  QColor(0, 160, 170),
                           QColor(120, 120, 120), QColor(150, 100, 50), QColor(220, 60, 160),
                           QColor(60, 60, 60)};

} // namespace

CChartAdapter::CChartAdapter(QWidget* parent) : QWidget(parent) {
    m_plot = new QCustomPlot(this);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_plot);
    m_plot->setBackground(Qt::white);
    m_plot->setInteractions(QCP::iRangeDrag | QCP::iRangeZoom);
    m_plot->axisRect()->setRangeDrag(Qt::Horizontal | Qt::Vertical);
    m_plot->axisRect()->setRangeZoom(Qt::Horizontal | Qt::Vertical);
    m_plot->xAxis->setTicker(QSharedPointer<QCPAxisTicker>(new RowTimeTicker));
    m_plot->xAxis->ticker()->setTickCount(5);
    // The legend in its own row below the plot, listing the series side by side.
    m_plot->legend->setVisible(true);
    m_plot->legend->setFillOrder(QCPLayoutGrid::foColumnsFirst);
    m_plot->legend->setWrap(4);
    auto* legendRow = new QCPLayoutGrid;
    m_plot->plotLayout()->addElement(1, 0, legendRow);
    legendRow->addElement(0, 0, m_plot->legend);
    legendRow->setMargins(QMargins(4, 0, 4, 4));
    m_plot->plotLayout()->setRowStretchFactor(1, 0.001);
    m_plot->setNoAntialiasingOnDrag(true);
    m_plot->setPlottingHints(QCP::phFastPolylines | QCP::phCacheLabels);
    m_plot->setNotAntialiasedElements(QCP::aePlottables);
    connect(m_plot, &QCustomPlot::mouseDoubleClick, this, [this] { FitAll(); });
    // As many time labels as fit side by side ("14-NOV,22:13" is about 90 pixels wide).
    connect(m_plot, &QCustomPlot::beforeReplot, this, [this] {
        const int labelWidth = m_plot->xAxis->tickLabelFont().pointSize() * 12 + 20;
        m_plot->xAxis->ticker()->setTickCount(
            std::max(2, m_plot->axisRect()->width() / labelWidth));
    });
}

void CChartAdapter::SetData(std::vector<Series> series, std::vector<uint32_t> times) {
    m_plot->clearGraphs();
    static_cast<RowTimeTicker*>(m_plot->xAxis->ticker().data())->times = std::move(times);
    int index = 0;
    for (Series& s : series) {
        QCPGraph* graph = m_plot->addGraph();
        graph->setName(s.name);
        // A one-pixel pen keeps the raster engine on its fast path for long series.
        graph->setPen(QPen(kColours[index++ % std::size(kColours)], 1));
        QVector<QCPGraphData> points(static_cast<qsizetype>(s.values.size()));
        for (size_t r = 0; r < s.values.size(); ++r)
            points[static_cast<qsizetype>(r)] = QCPGraphData(static_cast<double>(r), s.values[r]);
        graph->data()->set(points, true);
        // Few rows: each one marked, so a value between two gaps still shows.
        if (s.values.size() <= 2000)
            graph->setScatterStyle(QCPScatterStyle(QCPScatterStyle::ssDisc, 4));
    }
    FitAll();
}

void CChartAdapter::FitAll() {
    m_plot->rescaleAxes();
    const QCPRange x = m_plot->xAxis->range();
    m_plot->xAxis->setRange(x.lower - 0.5, x.upper + 0.5);
    QCPRange y = m_plot->yAxis->range();
    const double pad = y.size() > 0 ? y.size() * 0.05 : 1.0;
    m_plot->yAxis->setRange(y.lower - pad, y.upper + pad);
    Replot();
}

void CChartAdapter::Replot() {
    m_plot->replot(QCustomPlot::rpImmediateRefresh);
}

bool CChartAdapter::Export(const QString& path) {
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == QLatin1String("pdf"))
        return m_plot->savePdf(path);
    if (suffix == QLatin1String("jpg") || suffix == QLatin1String("jpeg"))
        return m_plot->saveJpg(path);
    return m_plot->savePng(path);
}

int CChartAdapter::SeriesCount() const {
    return m_plot->graphCount();
}

int CChartAdapter::PointCount(int series) const {
    return series < m_plot->graphCount() ? m_plot->graph(series)->data()->size() : 0;
}

double CChartAdapter::Value(int series, int row) const {
    return m_plot->graph(series)->data()->at(row)->value;
}

QString CChartAdapter::IndexLabel(double index) const {
    return static_cast<RowTimeTicker*>(m_plot->xAxis->ticker().data())->Label(index);
}

double CChartAdapter::VisibleFrom() const {
    return m_plot->xAxis->range().lower;
}

double CChartAdapter::VisibleTo() const {
    return m_plot->xAxis->range().upper;
}

void CChartAdapter::Zoom(double factor) {
    m_plot->xAxis->scaleRange(factor);
    Replot();
}

void CChartAdapter::contextMenuEvent(QContextMenuEvent* event) {
    QMenu menu(this);
    const struct {
        const char* text;
        const char* filter;
    } formats[] = {{"Export as &PNG...", "PNG Images (*.png)"},
                   {"Export as &JPEG...", "JPEG Images (*.jpg)"},
                   {"Export as P&DF...", "PDF Documents (*.pdf)"}};
    for (const auto& f : formats) {
        const QString filter = QString::fromLatin1(f.filter);
        menu.addAction(QString::fromLatin1(f.text), this, [this, filter] {
            const QString path = QFileDialog::getSaveFileName(this, QString(), QString(), filter);
            if (!path.isEmpty())
                Export(path);
        });
    }
    menu.addSeparator();
    menu.addAction(QStringLiteral("&Fit All"), this, &CChartAdapter::FitAll);
    menu.exec(event->globalPos());
}
