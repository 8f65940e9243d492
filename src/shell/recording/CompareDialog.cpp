#include "shell/recording/CompareDialog.h"

#include "analysis/ChartOverlay.h"

#include <QBoxLayout>
#include <QButtonGroup>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>

namespace quillmark {

namespace {

constexpr int kHighestMarker = 9999;
constexpr int kHighestRpm = 20000;
constexpr int kRpmStep = 100;

}  // namespace

CompareDialog::CompareDialog(const QString& firstName, std::function<QStringList()> chooseFiles,
                             QWidget* parent)
    : QDialog(parent), chooseFiles_(std::move(chooseFiles)) {
    setObjectName(QStringLiteral("frmCompare"));
    setWindowTitle(QString::fromLatin1(kCompareTitle));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(
        QStringLiteral("Recordings to lay over %1 (up to three):").arg(firstName), this));
    files_ = new QListWidget(this);
    files_->setObjectName(QStringLiteral("lstRuns"));
    files_->setMinimumWidth(420);
    files_->setMaximumHeight(90);
    layout->addWidget(files_);
    leftOut_ = new QLabel(this);
    leftOut_->setObjectName(QStringLiteral("lblLeftOut"));
    leftOut_->setWordWrap(true);
    leftOut_->hide();
    layout->addWidget(leftOut_);
    auto* fileButtons = new QHBoxLayout;
    add_ = new QPushButton(QStringLiteral("&Add\u2026"), this);
    add_->setObjectName(QStringLiteral("cmdAddRun"));
    remove_ = new QPushButton(QStringLiteral("&Remove"), this);
    remove_->setObjectName(QStringLiteral("cmdRemoveRun"));
    fileButtons->addWidget(add_);
    fileButtons->addWidget(remove_);
    fileButtons->addStretch(1);
    layout->addLayout(fileButtons);

    layout->addWidget(new QLabel(QStringLiteral("Line the runs up:"), this));
    alignAt_ = new QButtonGroup(this);
    auto addChoice = [&](AlignAt at, const QString& caption, QWidget* value, const QString& unit) {
        auto* row = new QHBoxLayout;
        auto* button = new QRadioButton(caption, this);
        alignAt_->addButton(button, static_cast<int>(at));
        row->addWidget(button);
        if (value != nullptr) {
            row->addWidget(value);
            value->setEnabled(false);
            connect(button, &QRadioButton::toggled, value, &QWidget::setEnabled);
        }
        if (!unit.isEmpty()) {
            row->addWidget(new QLabel(unit, this));
        }
        row->addStretch(1);
        layout->addLayout(row);
        return button;
    };
    marker_ = new QSpinBox(this);
    marker_->setObjectName(QStringLiteral("txtMarker"));
    marker_->setRange(1, kHighestMarker);
    rpm_ = new QSpinBox(this);
    rpm_->setObjectName(QStringLiteral("txtRpm"));
    rpm_->setRange(kRpmStep, kHighestRpm);
    rpm_->setSingleStep(kRpmStep);
    rpm_->setValue(static_cast<int>(RunAlignmentChoice{}.rpm));
    addChoice(AlignAt::Start, QStringLiteral("At their &starts"), nullptr, QString())
        ->setChecked(true);
    addChoice(AlignAt::Marker, QStringLiteral("At &marker"), marker_, QString());
    addChoice(AlignAt::SpeedCrossing, QStringLiteral("Where engine speed first comes &up to"), rpm_,
              QStringLiteral("rpm"));

    buttons_ = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    layout->addWidget(buttons_);
    connect(buttons_, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons_, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(add_, &QPushButton::clicked, this, &CompareDialog::addFiles);
    connect(remove_, &QPushButton::clicked, this, [this] {
        delete files_->takeItem(files_->currentRow());
        updateButtons();
    });
    connect(files_, &QListWidget::currentRowChanged, this, &CompareDialog::updateButtons);
    updateButtons();
}

void CompareDialog::addFiles() {
    if (!chooseFiles_) {
        return;
    }
    QStringList leftOut;
    for (const QString& path : chooseFiles_()) {
        if (static_cast<std::size_t>(files_->count()) >= kMostComparedRuns) {
            leftOut << QFileInfo(path).fileName();
        } else {
            addFile(path);
        }
    }
    // Said where it happens, not dropped without a word.
    leftOut_->setText(QStringLiteral("Up to three recordings are compared; left out: %1.")
                          .arg(leftOut.join(QStringLiteral(", "))));
    leftOut_->setVisible(!leftOut.isEmpty());
    updateButtons();
}

void CompareDialog::addFile(const QString& path) {
    auto* item = new QListWidgetItem(QFileInfo(path).fileName(), files_);
    item->setData(Qt::UserRole, path);
    item->setToolTip(QDir::toNativeSeparators(path));
}

void CompareDialog::setRequest(const ComparisonRequest& request) {
    files_->clear();
    for (const QString& path : request.paths) {
        if (static_cast<std::size_t>(files_->count()) < kMostComparedRuns) {
            addFile(path);
        }
    }
    if (QAbstractButton* button = alignAt_->button(static_cast<int>(request.alignment.at))) {
        button->setChecked(true);
    }
    marker_->setValue(request.alignment.marker);
    rpm_->setValue(static_cast<int>(request.alignment.rpm));
    leftOut_->hide();
    updateButtons();
}

void CompareDialog::updateButtons() {
    const auto count = static_cast<std::size_t>(files_->count());
    add_->setEnabled(count < kMostComparedRuns);
    remove_->setEnabled(files_->currentRow() >= 0);
    buttons_->button(QDialogButtonBox::Ok)->setEnabled(count > 0);
}

ComparisonRequest CompareDialog::request() const {
    ComparisonRequest request;
    for (int i = 0; i < files_->count(); ++i) {
        request.paths << files_->item(i)->data(Qt::UserRole).toString();
    }
    request.alignment.at = static_cast<AlignAt>(alignAt_->checkedId());
    request.alignment.marker = marker_->value();
    request.alignment.rpm = rpm_->value();
    return request;
}

}  // namespace quillmark
