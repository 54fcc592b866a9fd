#pragma once
// The rows of a record set as a table: "Time", then each parameter's value and, where samples
// show, its "Samples". Cells are read from the set when the view asks for them, under the
// state lock, so a million rows cost nothing until they are scrolled into view.

#include <QAbstractTableModel>
#include <vector>

class CDataRecordSet;

class CRecordTableModel : public QAbstractTableModel {
    Q_OBJECT
public:
    // The set (not owned) must outlive the model. showSamples is the DAS window's box.
    CRecordTableModel(const CDataRecordSet& set, bool showSamples, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    struct Column {
        int parameter; // -1 for the time
        bool samples;
        int precision;
        QString title;
    };
    const CDataRecordSet& m_set;
    std::vector<Column> m_columns;
    int m_rows = 0;
};
