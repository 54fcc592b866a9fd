#include "das/gui/RecordTableModel.h"

#include "base/StateLock.h"
#include "base/Strings.h"
#include "connections/gui/DialogSupport.h"
#include "das/DASParameter.h"
#include "das/DataRecordSet.h"

CRecordTableModel::CRecordTableModel(const CDataRecordSet& set, bool showSamples, QObject* parent)
    : QAbstractTableModel(parent), m_set(set) {
    StateGuard guard(AppStateLock());
    m_rows = set.GetRows();
    m_columns.push_back({-1, false, 3, StringText(61322)});
    for (int32_t i = 0; i < set.GetCount(); ++i) {
        CParameter* parameter = set.GetParameter(i);
        auto* das = dynamic_cast<CDASParameter*>(parameter);
        const int precision = das ? das->GetPrecision() : 0;
        m_columns.push_back({i, false, precision, ToQt(parameter->GetDisplayName())});
        if (showSamples && das && das->GetStoreSamples())
            m_columns.push_back({i, true, 3, StringText(61299)});
    }
}

int CRecordTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : m_rows;
}

int CRecordTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_columns.size());
}

QVariant CRecordTableModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.column() >= columnCount())
        return {};
    const Column& column = m_columns[static_cast<size_t>(index.column())];
    if (role == Qt::TextAlignmentRole)
        return QVariant::fromValue(column.parameter < 0 ? Qt::AlignLeft | Qt::AlignVCenter
                                                        : Qt::AlignRight | Qt::AlignVCenter);
    if (role != Qt::DisplayRole)
        return {};
    StateGuard guard(AppStateLock());
    const int32_t i = column.parameter < 0 ? 0 : column.parameter;
    const std::optional<CDataRecord> record = m_set.GetRecord(index.row(), i);
    if (!record)
        return {};
    const unsigned flags = column.parameter < 0 ? REC_TIME_LONG
                           : column.samples     ? REC_SAMPLES
                                                : REC_VALUE;
    return ToQt(record->GetText(flags, column.precision)).trimmed();
}

QVariant CRecordTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= columnCount())
        return QAbstractTableModel::headerData(section, orientation, role);
    const Column& column = m_columns[static_cast<size_t>(section)];
    if (role == Qt::DisplayRole)
        return column.title;
    if (role == Qt::TextAlignmentRole)
        return QVariant::fromValue(column.parameter < 0 ? Qt::AlignLeft | Qt::AlignVCenter
                                                        : Qt::AlignRight | Qt::AlignVCenter);
    return {};
}
