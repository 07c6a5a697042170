#include "ui/progressmodel.h"

#include <QString>
#include <algorithm>

int ProgressModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(shown_);
}

QVariant ProgressModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || static_cast<size_t>(index.row()) >= shown_ ||
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
  shown_ = 0;
  changed_from_ = kNoRow;
  changed_to_ = 0;
  endResetModel();
}

void ProgressModel::Append(const std::string& bytes) {
  items_.push_back(bytes);
}

void ProgressModel::Set(size_t i, const std::string& bytes) {
  if (i >= items_.size()) return;
  items_[i] = bytes;
  if (i >= shown_) return;  // views will learn of it as a new row
  changed_from_ = std::min(changed_from_, i);
  changed_to_ = std::max(changed_to_, i + 1);
}

bool ProgressModel::Unpublished() const {
  return shown_ < items_.size() || changed_from_ < changed_to_;
}

void ProgressModel::Publish() {
  if (changed_from_ < changed_to_) {
    emit dataChanged(index(static_cast<int>(changed_from_)),
                     index(static_cast<int>(changed_to_ - 1)),
                     {Qt::DisplayRole});
    changed_from_ = kNoRow;
    changed_to_ = 0;
  }
  if (shown_ < items_.size()) {
    beginInsertRows(QModelIndex(), static_cast<int>(shown_),
                    static_cast<int>(items_.size() - 1));
    shown_ = items_.size();
    endInsertRows();
  }
}
