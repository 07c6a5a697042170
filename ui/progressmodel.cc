#include "ui/progressmodel.h"

#include <QString>

int ProgressModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(items_.size());
}

QVariant ProgressModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || static_cast<size_t>(index.row()) >= items_.size() ||
      role != Qt::DisplayRole) {
    return QVariant();
  }
  const std::string& bytes = items_[static_cast<size_t>(index.row())];
  return QString::fromLocal8Bit(bytes.data(),
                                static_cast<qsizetype>(bytes.size()));
}

std::string ProgressModel::Bytes(size_t i) const {
  return i < items_.size() ? items_[i] : std::string();
}

void ProgressModel::Clear() {
  beginResetModel();
  items_.clear();
  endResetModel();
}

void ProgressModel::Append(const std::string& bytes) {
  const int row = static_cast<int>(items_.size());
  beginInsertRows(QModelIndex(), row, row);
  items_.push_back(bytes);
  endInsertRows();
}

void ProgressModel::Set(size_t i, const std::string& bytes) {
  if (i >= items_.size()) return;
  items_[i] = bytes;
  const QModelIndex changed = index(static_cast<int>(i));
  emit dataChanged(changed, changed, {Qt::DisplayRole});
}
