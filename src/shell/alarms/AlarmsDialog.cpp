#include "shell/alarms/AlarmsDialog.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

namespace quillmark {

namespace {

const QString kExplanation = QStringLiteral(
    "A value below its low limit or above its high limit shows on its gauge in red and on the "
    "line under the panel. Leave a field empty for no limit; type numbers with a point.");

std::size_t sideIndex(AlarmSide side) {
    return side == AlarmSide::Low ? 0 : 1;
}

}  // namespace

AlarmsDialog::AlarmsDialog(const TypedLimits& typed,
                           std::function<bool(const TypedLimits&)> acceptable, QWidget* parent)
    : QDialog(parent), acceptable_(std::move(acceptable)) {
    setObjectName(QStringLiteral("frmAlarms"));
    setWindowTitle(QString::fromLatin1(kAlarmsTitle));
    auto* layout = new QVBoxLayout(this);
    auto* explanation = new QLabel(kExplanation, this);
    explanation->setWordWrap(true);
    layout->addWidget(explanation);

    auto* grid = new QGridLayout();
    grid->addWidget(new QLabel(QStringLiteral("Low"), this), 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("High"), this), 0, 2);
    for (std::size_t i = 0; i < kAlarmQuantities.size(); ++i) {
        const AlarmQuantity& quantity = kAlarmQuantities[i];
        const int row = static_cast<int>(i) + 1;
        auto* name = new QLabel(QString::fromUtf8(quantity.name), this);
        grid->addWidget(name, row, 0);
        for (AlarmSide side : kAlarmSides) {
            auto* edit = new QLineEdit(typed[i][sideIndex(side)], this);
            edit->setObjectName(alarmKey(quantity, side));
            edit->setAccessibleName(alarmKey(quantity, side));
            grid->addWidget(edit, row, 1 + static_cast<int>(sideIndex(side)));
            fields_[i][sideIndex(side)] = edit;
        }
        name->setBuddy(fields_[i][0]);
        grid->addWidget(new QLabel(QString::fromUtf8(quantity.unit), this), row, 3);
    }
    layout->addLayout(grid);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &AlarmsDialog::tryAccept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
}

TypedLimits AlarmsDialog::typed() const {
    TypedLimits texts;
    for (std::size_t i = 0; i < fields_.size(); ++i) {
        for (std::size_t side = 0; side < 2; ++side) {
            texts[i][side] = fields_[i][side]->text().trimmed();
        }
    }
    return texts;
}

QLineEdit* AlarmsDialog::field(std::size_t quantity, AlarmSide side) const {
    return fields_.at(quantity)[sideIndex(side)];
}

void AlarmsDialog::tryAccept() {
    if (!acceptable_ || acceptable_(typed())) {
        accept();
    }
}

}  // namespace quillmark
