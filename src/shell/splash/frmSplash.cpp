// The splash window's load and its unload timer.
#include "shell/splash/frmSplash.h"

#include "platform/ErrorRecord.h"
#include "platform/Files.h"
#include "platform/ProgramName.h"
#include "shell/splash/Branding.h"
#include "shell/splash/BrandingLines.h"

#include <QDir>

#include <array>

namespace quillmark {

namespace {

const QString kErrorSource = QString::fromLatin1(kProgramName);

}  // namespace

frmSplash::frmSplash(Files& files, MessageBoxes& boxes, BrandingLines& branding,
                     SplashWindowControls& controls)
    : files_(files), boxes_(boxes), branding_(branding), controls_(controls) {}

const QString& frmSplash::splashItem(int position) const {
    if (position > branding_.SplashItems.size()) {
        throw RaisedError::platform(
            kErrorSource,
            QStringLiteral("The branding file %1 has no line for the %2 (splash item %3). "
                           "The first section needs five lines before the \"!\" line.")
                .arg(QDir::toNativeSeparators(brandingPath_),
                     QString::fromLatin1(kSplashItemRoles.at(position - 1)))
                .arg(position));
    }
    return branding_.SplashItems.at(position - 1);
}

void frmSplash::readBrandingFile() {
    const BrandingContents contents = readBranding(files_.readAll(brandingPath_));
    // Replaced rather than appended, so that Retry after fixing the file reads it afresh
    // instead of storing its lines a second time.
    branding_.SplashItems = contents.splashItems;
    branding_.AboutLines = contents.aboutLines;
    if (contents.pastEnd != BrandingPastEnd::None) {
        throw RaisedError::platform(
            kErrorSource, QStringLiteral("%1: %2").arg(QString::fromLatin1(kPastEndDescription),
                                                       QDir::toNativeSeparators(brandingPath_)));
    }
}

ProcedureEnd frmSplash::Form_Load() {
    const std::array steps{
        nextStep([this] {
            brandingPath_ = files_.programDirectory() + QDir::separator() +
                            QString::fromLatin1(kBrandingFileName);
        }),
        nextStep([this] {
            brandingExists_ = files_.exists(brandingPath_);
            if (brandingExists_) {
                readBrandingFile();
            }
        }),
        nextStep([this] {
            if (!brandingExists_) {
                branding_.SplashItems = defaultSplashItems();
                branding_.AboutLines = defaultAboutLines();
            }
        }),
        nextStep([this] { controls_.setCompanyCaption(splashItem(1)); }),
        nextStep([this] { controls_.setCompanyFontName(splashItem(2)); }),
        nextStep([this] { controls_.setCompanyFontSize(companyFontSize(splashItem(3))); }),
        nextStep([this] { controls_.setCompanyFontBold(styleWantsBold(splashItem(4))); }),
        nextStep([this] { controls_.setCompanyFontItalic(styleWantsItalic(splashItem(4))); }),
        nextStep([this] {
            if (const auto path = logoPath(files_.programDirectory(), splashItem(5))) {
                controls_.loadLogo(*path);
            }
        }),
        nextStep([this] { controls_.setApplicationTitle(QString::fromLatin1(kProgramName)); }),
    };
    ErrorTrap trap(boxes_);
    return trap.run(steps);
}

void frmSplash::tmrSplashUnload_Timer() {
    if (unloaded_) {
        return;
    }
    unloaded_ = true;
    controls_.unload();
}

}  // namespace quillmark
