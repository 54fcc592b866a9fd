#pragma once
// The one place that knows the plotting library: a chart of series over a shared row index,
// the index axis labelled with the rows' record times (a few readable ticks, never one label
// per row), the legend below the plot, zoom and pan with the wheel and a drag, a double
// click to fit everything, and a context menu exporting PNG, JPEG or PDF.

#include <QString>
#include <QWidget>
#include <cstdint>
#include <vector>

class QCustomPlot;

class CChartAdapter : public QWidget {
    Q_OBJECT
public:
    struct Series {
        QString name;
        std::vector<double> values; // one per row; NaN where there is no value
    };

    explicit CChartAdapter(QWidget* parent = nullptr);

    // Replaces the chart's data; times (seconds since 1970) name the rows on the index axis.
    void SetData(std::vector<Series> series, std::vector<uint32_t> times);
    // Shows every row and the whole value range.
    void FitAll();
    // "png", "jpg" or "pdf" by the path's extension; false when nothing was written.
    bool Export(const QString& path);
    // Redraws now (the zoom and pan paths use it too).
    void Replot();

    int SeriesCount() const;
    int PointCount(int series) const;
    double Value(int series, int row) const;
    QString IndexLabel(double index) const;
    // The visible index range.
    double VisibleFrom() const;
    double VisibleTo() const;
    void Zoom(double factor);
    QCustomPlot& Plot() { return *m_plot; }

protected:
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    QCustomPlot* m_plot;
};
