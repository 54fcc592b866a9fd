#pragma once
// A top-level window drawing one record set: a series per parameter, a point per row, gaps
// where a record is not valid. It copies the values when built and never touches the DAS
// model again, so it outlives the DAS window and later downloads. At most three are open.

#include <QWidget>

class CChartAdapter;
class CDataRecordSet;

class CGraphWindow : public QWidget {
    Q_OBJECT
public:
    static constexpr int kMaxWindows = 3;
    static constexpr int kLayoutSlot = 8;

    // A new shown window for the set; null when the set is empty or three are open.
    static CGraphWindow* ShowGraph(const CDataRecordSet& set);
    static int OpenCount();

    ~CGraphWindow() override;
    CChartAdapter& Chart() { return *m_chart; }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    CGraphWindow();

    CChartAdapter* m_chart;
};
