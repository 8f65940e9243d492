// The splash window on screen: fixed layout, branded company name and logo, 4000 ms life.
#pragma once

#include "shell/splash/SplashWindowControls.h"

#include <QDialog>

#include <functional>

class QFrame;
class QLabel;
class QTimer;

namespace quillmark {

class SplashWindowWidget final : public QDialog, public SplashWindowControls {
    Q_OBJECT

public:
    static constexpr int kUnloadIntervalMs = 4000;

    explicit SplashWindowWidget(QWidget* parent = nullptr);

    void setCompanyCaption(const QString& caption) override;
    void setCompanyFontName(const QString& face) override;
    void setCompanyFontSize(double points) override;
    void setCompanyFontBold(bool bold) override;
    void setCompanyFontItalic(bool italic) override;
    void loadLogo(const QString& path) override;
    void setApplicationTitle(const QString& title) override;
    void unload() override;

    bool isUnloaded() const { return unloaded_; }

signals:
    // tmrSplashUnload ran out; the logic decides what that means.
    void unloadTimerTicked();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

public slots:
    void reject() override;

private:
    QLabel* addLabel(const char* name, const QString& text, const QFont& font, int left, int top,
                     int width, int height);
    void changeCompanyFont(const std::function<void(QFont&)>& change);
    void setCompanyFont(const QFont& font);

    double dpi_ = 96.0;
    QFrame* fraSplash_ = nullptr;
    QLabel* imgLogo_ = nullptr;
    QLabel* lblCompanyName_ = nullptr;
    QTimer* tmrSplashUnload_ = nullptr;
    bool unloaded_ = false;
};

}  // namespace quillmark
