#ifndef UI_PROGRESSMODEL_H_
#define UI_PROGRESSMODEL_H_

#include <QAbstractListModel>
#include <cstddef>
#include <string>
#include <vector>

// The progress list's items. The list is also a conversion's work list, so
// an item keeps the file bytes it was given and hands them back unchanged;
// only the text shown is decoded, in the user's encoding, and only for the
// rows a view asks for, which during a batch of thousands of files is the
// few in sight.
//
// Views learn of new and changed items when Publish is called, not at every
// change: a batch changes items far more often than the list is painted,
// and telling the view each time cost more than the changes themselves.
class ProgressModel : public QAbstractListModel {
 public:
  using QAbstractListModel::QAbstractListModel;

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role) const override;

  size_t Count() const { return items_.size(); }
  // Empty for a row that is not there.
  std::string Bytes(size_t i) const;
  void Clear();
  void Append(const std::string& bytes);
  void Set(size_t i, const std::string& bytes);

  // Whether views have yet to learn of a change.
  bool Unpublished() const;
  // Tells views of every change since the last call.
  void Publish();

 private:
  std::vector<std::string> items_;
  size_t shown_ = 0;  // the rows views know of
  // The rows views know of that changed since, from first to one past the
  // last; none while changed_from_ is not below changed_to_.
  static constexpr size_t kNoRow = static_cast<size_t>(-1);
  size_t changed_from_ = kNoRow;
  size_t changed_to_ = 0;
};

#endif  // UI_PROGRESSMODEL_H_
