// The real-time data panel: tachometer, bar gauges, status text and the Close button.
#include "widgets/gauges/RealTimePanelWidget.h"

#include "platform/Twips.h"
#include "widgets/gauges/GaugeTables.h"

#include <QEvent>
#include <QLabel>
#include <QPainter>
#include <QPushButton>

namespace quillmark {

namespace {
namespace tables = gauge_tables;

constexpr int kStatusLabel = 1;
// Caption inset from the panel's left edge.
constexpr int kCaptionLeftTwips = 120;

// The bar gauge of each quantity, by its index in the panel; the engine speed is on the dial.
struct QuantityGauge {
    Quantity quantity;
    RealTimePanelWidget::BarGaugeIndex bar;
};
constexpr std::array<QuantityGauge, RealTimePanelWidget::kBarCount> kQuantityGauges{{
    {Quantity::Throttle, RealTimePanelWidget::kTps},
    {Quantity::Injector1, RealTimePanelWidget::kInj1},
    {Quantity::FuelMultiplier1, RealTimePanelWidget::kFuelMult1},
    {Quantity::Injector2, RealTimePanelWidget::kInj2},
    {Quantity::FuelMultiplier2, RealTimePanelWidget::kFuelMult2},
    {Quantity::Retard, RealTimePanelWidget::kRetard},
    {Quantity::Battery, RealTimePanelWidget::kBattery},
}};

QRect toPixels(const tables::TwipsPlacement& place, double dpi) {
    return twipsRect(place.box, dpi);
}
}  // namespace

RealTimePanelWidget::RealTimePanelWidget(QWidget* parent)
    : QFrame(parent), caption_(QString::fromUtf8(tables::kPanelCaption)) {
    setObjectName(QString::fromUtf8(tables::kPanel.name));
    setFrameShape(QFrame::NoFrame);
    QPalette colours = palette();
    colours.setColor(QPalette::Window, Qt::black);
    colours.setColor(QPalette::WindowText, Qt::white);
    setPalette(colours);
    setAutoFillBackground(true);

    // Created back to front, as the controls overlap in the design.
    close_ = new QPushButton(QString::fromUtf8(tables::kCloseCaption), this);
    close_->setObjectName(QString::fromUtf8(tables::kCloseButton.name));
    connect(close_, &QPushButton::clicked, this, &RealTimePanelWidget::closeClicked);

    tach_ = new DialGaugeWidget(this);
    tach_->setObjectName(QString::fromUtf8(tables::kTach.name));
    for (std::size_t i = 0; i < bars_.size(); ++i) {
        bars_[i] = new BarGaugeWidget(*tables::kBarGauges[i].design, this);
        bars_[i]->setObjectName(QString::fromUtf8(tables::kBarGauges[i].place.name));
    }

    for (std::size_t i = 0; i < labels_.size(); ++i) {
        labels_[i] = new QLabel(QString::fromUtf8(tables::kLabels[i].caption), this);
        labels_[i]->setObjectName(QString::fromUtf8(tables::kLabels[i].place.name));
    }
    status_ = labels_[kStatusLabel];
    QPalette statusColours = status_->palette();
    statusColours.setColor(QPalette::Window, Qt::white);
    statusColours.setColor(QPalette::WindowText, Qt::black);
    status_->setPalette(statusColours);
    status_->setAutoFillBackground(true);
    status_->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    layOutChildren();
}

void RealTimePanelWidget::setPanelVisible(bool visible) {
    const bool closing = !visible && !isHidden();
    setVisible(visible);
    if (closing) {
        emit panelClosed();
    }
}

void RealTimePanelWidget::setStatusText(const QString& text) {
    // The status lines arrive joined by CR LF; a lone CR would show as a stray glyph.
    QString lines = text;
    lines.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    status_->setText(lines);
}

void RealTimePanelWidget::setGaugeAlarm(Quantity quantity, const QString& valueText) {
    if (quantity == Quantity::EngineSpeed) {
        tach_->setAlarmShown(!valueText.isEmpty());
        return;
    }
    for (const QuantityGauge& gauge : kQuantityGauges) {
        if (gauge.quantity == quantity) {
            bars_.at(static_cast<std::size_t>(gauge.bar))->setAlarmCaption(valueText);
        }
    }
}

void RealTimePanelWidget::setCaption(const QString& caption) {
    caption_ = caption.isEmpty() ? QString::fromUtf8(tables::kPanelCaption) : caption;
    update();
}

QSize RealTimePanelWidget::sizeHint() const {
    return toPixels(tables::kPanel, logicalDpiY()).size();
}

void RealTimePanelWidget::layOutChildren() {
    const double dpi = logicalDpiY();
    close_->setGeometry(toPixels(tables::kCloseButton, dpi));
    tach_->setGeometry(toPixels(tables::kTach, dpi));
    for (std::size_t i = 0; i < bars_.size(); ++i) {
        bars_[i]->setGeometry(toPixels(tables::kBarGauges[i].place, dpi));
    }
    for (std::size_t i = 0; i < labels_.size(); ++i) {
        labels_[i]->setGeometry(toPixels(tables::kLabels[i].place, dpi));
    }
}

void RealTimePanelWidget::showEvent(QShowEvent* event) {
    // The screen, and with it the logical DPI, is only certain once the panel is shown.
    layOutChildren();
    QFrame::showEvent(event);
}

void RealTimePanelWidget::changeEvent(QEvent* event) {
    if (event->type() == QEvent::FontChange) {
        update();
    }
    QFrame::changeEvent(event);
}

void RealTimePanelWidget::paintEvent(QPaintEvent* event) {
    QFrame::paintEvent(event);
    QPainter painter(this);
    painter.setPen(palette().color(QPalette::WindowText));
    painter.setFont(font());
    const int left = twipsToPixels(kCaptionLeftTwips, logicalDpiY());
    painter.drawText(QRect(left, 0, width() - left, fontMetrics().height()),
                     Qt::AlignLeft | Qt::AlignTop, caption_);
}

}  // namespace quillmark
