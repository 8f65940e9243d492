// The chart window's Compare With box: up to three more recordings to lay over the one shown,
// and where they line up (at their starts, at a marker, or at the first crossing of an engine
// speed).
#pragma once

#include "analysis/RunAlignment.h"

#include <QDialog>
#include <QStringList>

#include <functional>

class QButtonGroup;
class QDialogButtonBox;
class QLabel;
class QListWidget;
class QPushButton;
class QSpinBox;

namespace quillmark {

inline constexpr const char* kCompareTitle = "Compare With";

struct ComparisonRequest {
    QStringList paths;
    RunAlignmentChoice alignment;
};

class CompareDialog final : public QDialog {
    Q_OBJECT
public:
    // `chooseFiles` asks for recordings to add; empty when the user cancels.
    CompareDialog(const QString& firstName, std::function<QStringList()> chooseFiles,
                  QWidget* parent);

    ComparisonRequest request() const;
    // The files and the alignment chosen the last time, to start from.
    void setRequest(const ComparisonRequest& request);

private:
    void addFiles();
    void addFile(const QString& path);
    void updateButtons();

    std::function<QStringList()> chooseFiles_;
    QListWidget* files_ = nullptr;
    QLabel* leftOut_ = nullptr;
    QPushButton* add_ = nullptr;
    QPushButton* remove_ = nullptr;
    QButtonGroup* alignAt_ = nullptr;
    QSpinBox* marker_ = nullptr;
    QSpinBox* rpm_ = nullptr;
    QDialogButtonBox* buttons_ = nullptr;
};

}  // namespace quillmark
