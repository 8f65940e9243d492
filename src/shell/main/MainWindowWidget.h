// The main window: menu bar, port setup frame, real-time panel and the polling timer.
#pragma once

#include "shell/main/MainWindowControls.h"
#include "shell/main/MainWindowEvents.h"

#include <QMainWindow>

class QAction;
class QComboBox;
class QGroupBox;
class QMenu;
class QLabel;
class QPushButton;
class QTimer;

namespace quillmark {

class KeyPreviewFilter;
class RealTimePanelWidget;

class MainWindowWidget final : public QMainWindow, public MainWindowControls {
    Q_OBJECT

public:
    explicit MainWindowWidget(QWidget* parent = nullptr);

    // The logic is created with the controls, so it is connected afterwards. Events that
    // come before this (or with nullptr) go nowhere.
    void setEvents(MainWindowEvents* events);

    // Sizes the window and places the controls for a screen of the given logical DPI; the
    // constructor does this for the window's screen.
    void applyLayout(double logicalDpi);

    void setKeyPreview(bool on) override;
    void setApplicationTitle(const QString& title) override;
    void setPortSetupVisible(bool visible) override;
    void addPortListItem(const QString& item) override;
    int portListCount() const override;
    void setPortListIndex(int index) override;
    int portListIndex() const override;
    void unload() override;
    RealTimeView& realTime() override;

    // For the features that add to the window: its menus by their place in the menu table,
    // the entry that ends the File menu, and the panel.
    QMenu* fileMenu() const { return fileMenu_; }
    QMenu* viewMenu() const { return viewMenu_; }
    QAction* exitAction() const { return exit_; }
    QAction* viewRealTimeAction() const { return viewRealTime_; }
    RealTimePanelWidget* realTimePanel() const { return realTimeData_; }
    // A line of text under the real-time panel for a feature that reports there. Hidden, as it
    // starts, it takes no space; shown, the window grows by its height.
    QLabel* panelFootLine() const { return panelFootLine_; }
    void setPanelFootLineShown(bool shown);

signals:
    // Raised before the close query runs, which ends the program at once.
    void closing();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildMenuBar();
    void buildControls();
    void fire(void (MainWindowEvents::*handler)());

    MainWindowEvents* events_ = nullptr;
    QMenu* fileMenu_ = nullptr;
    QMenu* viewMenu_ = nullptr;
    QAction* exit_ = nullptr;
    QAction* viewRealTime_ = nullptr;
    QWidget* clientArea_ = nullptr;
    RealTimePanelWidget* realTimeData_ = nullptr;
    QGroupBox* portSelect_ = nullptr;
    QComboBox* port_ = nullptr;
    QPushButton* portSelectOK_ = nullptr;
    QLabel* portLabel_ = nullptr;
    QLabel* panelFootLine_ = nullptr;
    double layoutDpi_ = 96.0;
    QTimer* dataRead_ = nullptr;
    KeyPreviewFilter* keyPreview_ = nullptr;
};

}  // namespace quillmark
