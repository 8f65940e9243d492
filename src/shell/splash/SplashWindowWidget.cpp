// The splash window's widgets, laid out in twips and scaled by the screen's logical DPI.
#include "shell/splash/SplashWindowWidget.h"

#include "platform/ErrorRecord.h"
#include "platform/ProgramName.h"
#include "platform/Twips.h"
#include "shell/splash/AboutText.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QFrame>
#include <QGuiApplication>
#include <QImageReader>
#include <QKeyEvent>
#include <QLabel>
#include <QPixmap>
#include <QScreen>
#include <QTimer>

namespace quillmark {

namespace {

struct LabelLayout {
    const char* name;
    const char* text;
    double points;
    bool bold;
    bool italic;
    int left, top, width, height;  // twips inside fraSplash
};

inline constexpr int kClientWidth = 7164;
inline constexpr int kClientHeight = 3732;
inline constexpr LabelLayout kVersion{"lblVersion", "Version 3.0", 12.0, true, false,
                                      3600,         2880,          1272, 288};
inline constexpr LabelLayout kProductName{
    "lblProductName", "Corvane Data Logging", 22.2, true, false, 3120, 1560, 3012, 1056};
inline constexpr LabelLayout kCompanyName{
    "lblCompanyName", "Halverd", 48.0, true, true, 2160, 480, 4716, 1332};

QFont arial(double points, bool bold, bool italic) {
    QFont font(QStringLiteral("Arial"));
    font.setPointSizeF(points);
    font.setBold(bold);
    font.setItalic(italic);
    return font;
}

QFont fontOf(const LabelLayout& layout) {
    return arial(layout.points, layout.bold, layout.italic);
}

}  // namespace

SplashWindowWidget::SplashWindowWidget(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::MSWindowsFixedSizeDialogHint) {
    setObjectName(QStringLiteral("frmSplash"));
    setModal(true);
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        dpi_ = screen->logicalDotsPerInch();
    }
    setFixedSize(twipsToPixels(kClientWidth, dpi_), twipsToPixels(kClientHeight, dpi_));

    fraSplash_ = new QFrame(this);
    fraSplash_->setObjectName(QStringLiteral("fraSplash"));
    fraSplash_->setFrameShape(QFrame::Box);
    fraSplash_->setFrameShadow(QFrame::Sunken);
    fraSplash_->setGeometry(twipsRect(30, 0, 7065, 3690, dpi_));

    imgLogo_ = new QLabel(fraSplash_);
    imgLogo_->setObjectName(QStringLiteral("imgLogo"));
    imgLogo_->setAlignment(Qt::AlignCenter);
    imgLogo_->setGeometry(twipsRect(360, 600, 1485, 900, dpi_));

    addLabel("lblCopyright", copyrightNotice(), arial(8.4, false, false), 3600, 3240, 3252, 252);
    for (const LabelLayout* layout : {&kVersion, &kProductName}) {
        addLabel(layout->name, QString::fromLatin1(layout->text), fontOf(*layout), layout->left,
                 layout->top, layout->width, layout->height);
    }
    lblCompanyName_ =
        addLabel(kCompanyName.name, QString::fromLatin1(kCompanyName.text), fontOf(kCompanyName),
                 kCompanyName.left, kCompanyName.top, kCompanyName.width, kCompanyName.height);

    const QRect screen = QGuiApplication::primaryScreen()
                             ? QGuiApplication::primaryScreen()->availableGeometry()
                             : QRect();
    if (screen.isValid()) {
        move(screen.center() - rect().center());
    }

    // The window's life is counted from its creation, not from when it is first drawn.
    tmrSplashUnload_ = new QTimer(this);
    tmrSplashUnload_->setObjectName(QStringLiteral("tmrSplashUnload"));
    tmrSplashUnload_->setSingleShot(true);
    tmrSplashUnload_->setTimerType(Qt::PreciseTimer);
    connect(tmrSplashUnload_, &QTimer::timeout, this, &SplashWindowWidget::unloadTimerTicked);
    tmrSplashUnload_->start(kUnloadIntervalMs);
}

QLabel* SplashWindowWidget::addLabel(const char* name, const QString& text, const QFont& font,
                                     int left, int top, int width, int height) {
    auto* label = new QLabel(text, fraSplash_);
    label->setObjectName(QString::fromLatin1(name));
    label->setFont(font);
    // Captions longer than their box break onto the next line instead of being cut off.
    label->setWordWrap(true);
    label->setGeometry(twipsRect(left, top, width, height, dpi_));
    return label;
}

void SplashWindowWidget::setCompanyFont(const QFont& font) {
    lblCompanyName_->setFont(font);
}

void SplashWindowWidget::setCompanyCaption(const QString& caption) {
    lblCompanyName_->setText(caption);
}

void SplashWindowWidget::setCompanyFontName(const QString& face) {
    changeCompanyFont([&face](QFont& font) { font.setFamily(face); });
}

void SplashWindowWidget::setCompanyFontSize(double points) {
    changeCompanyFont([points](QFont& font) { font.setPointSizeF(points); });
}

void SplashWindowWidget::setCompanyFontBold(bool bold) {
    changeCompanyFont([bold](QFont& font) { font.setBold(bold); });
}

void SplashWindowWidget::setCompanyFontItalic(bool italic) {
    changeCompanyFont([italic](QFont& font) { font.setItalic(italic); });
}

void SplashWindowWidget::changeCompanyFont(const std::function<void(QFont&)>& change) {
    // Each branding item changes one property of the label's current font.
    QFont font = lblCompanyName_->font();
    change(font);
    setCompanyFont(font);
}

void SplashWindowWidget::loadLogo(const QString& path) {
    const QString shown = QDir::toNativeSeparators(path);
    const QFileInfo info(path);
    if (!info.isFile()) {
        throw RaisedError::platform(QString::fromLatin1(kProgramName),
                                    QStringLiteral("Logo picture not found: %1").arg(shown));
    }
    QImageReader reader(path);
    const QImage image = reader.read();
    if (image.isNull()) {
        throw RaisedError::platform(QString::fromLatin1(kProgramName),
                                    QStringLiteral("Logo picture cannot be loaded: %1 (%2)")
                                        .arg(shown, reader.errorString()));
    }
    // A dealer's logo has any shape: it fills the box as far as its own proportions allow.
    const qreal pixelRatio = imgLogo_->devicePixelRatioF();
    QImage fitted =
        image.scaled(imgLogo_->size() * pixelRatio, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    fitted.setDevicePixelRatio(pixelRatio);
    imgLogo_->setPixmap(QPixmap::fromImage(fitted));
}

void SplashWindowWidget::setApplicationTitle(const QString& title) {
    QCoreApplication::setApplicationName(title);
}

void SplashWindowWidget::unload() {
    if (unloaded_) {
        return;
    }
    unloaded_ = true;
    tmrSplashUnload_->stop();
    if (isVisible()) {
        done(QDialog::Accepted);
    }
}

void SplashWindowWidget::keyPressEvent(QKeyEvent* event) {
    // QDialog would close on Esc; the splash closes only when its time is up.
    event->accept();
}

void SplashWindowWidget::closeEvent(QCloseEvent* event) {
    if (unloaded_) {
        QDialog::closeEvent(event);
    } else {
        event->ignore();
    }
}

void SplashWindowWidget::reject() {
    if (unloaded_) {
        QDialog::reject();
    }
}

}  // namespace quillmark
