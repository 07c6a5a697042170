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

 private:
  std::vector<std::string> items_;
};

#endif  // UI_PROGRESSMODEL_H_
