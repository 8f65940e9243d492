// The dialog of View, Alarms: a low and a high limit per engine value, typed as text.
#pragma once

#include "analysis/AlarmLimits.h"

#include <QDialog>

#include <array>
#include <functional>

class QLineEdit;

namespace quillmark {

inline constexpr const char* kAlarmsTitle = "Alarms";

class AlarmsDialog final : public QDialog {
    Q_OBJECT
public:
    // `acceptable` is asked on OK; the dialog stays open while it answers false (it tells the
    // user why).
    AlarmsDialog(const TypedLimits& typed, std::function<bool(const TypedLimits&)> acceptable,
                 QWidget* parent = nullptr);

    TypedLimits typed() const;
    // The field of a quantity's limit, by its index in kAlarmQuantities.
    QLineEdit* field(std::size_t quantity, AlarmSide side) const;

private:
    void tryAccept();

    std::array<std::array<QLineEdit*, 2>, kAlarmQuantities.size()> fields_{};
    std::function<bool(const TypedLimits&)> acceptable_;
};

}  // namespace quillmark
