// The main window: menu bar, port setup frame, real-time panel and the polling timer.
#include "shell/main/MainWindowWidget.h"

#include "platform/ErrorRecord.h"
#include "platform/Twips.h"
#include "widgets/gauges/GaugeTables.h"
#include "widgets/gauges/RealTimePanelWidget.h"
#include "shell/main/MainWindowLayout.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QGroupBox>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QLayout>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QTimer>

#include <functional>
#include <optional>
#include <utility>

namespace quillmark {

namespace {

QString text(std::string_view view) {
    return QString::fromUtf8(view.data(), static_cast<qsizetype>(view.size()));
}

// A fixed single border: title, system menu and close box, but nothing that resizes.
constexpr Qt::WindowFlags kWindowFlags = Qt::Window | Qt::CustomizeWindowHint |
                                         Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                                         Qt::WindowCloseButtonHint;

// The character code a key produces, as the key handler expects it; keys that produce no
// character (arrows, function keys) have none.
std::optional<int> characterCode(const QKeyEvent& key) {
    const QString typed = key.text();
    if (!typed.isEmpty() && typed.front().unicode() != 0) {
        return typed.front().unicode();
    }
    switch (key.key()) {
        case Qt::Key_Escape:
            return 27;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            return 13;
        case Qt::Key_Backspace:
            return 8;
        default:
            return std::nullopt;
    }
}

// Around the text of the line under the panel, in pixels.
constexpr int kFootLineMargin = 2;

}  // namespace

// Sees every key press of the window before the focused control does, and never eats it.
class KeyPreviewFilter final : public QObject {
public:
    KeyPreviewFilter(QWidget* window, std::function<void(int)> onKey)
        : QObject(window), window_(window), onKey_(std::move(onKey)) {}

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::KeyPress) {
            return false;
        }
        // Key events reach the platform window first; only widget deliveries count.
        auto* receiver = qobject_cast<QWidget*>(watched);
        if (receiver == nullptr) {
            return false;
        }
        auto* key = static_cast<QKeyEvent*>(event);
        if (isPropagation(key, receiver)) {
            return false;
        }
        if (belongsToWindow(receiver)) {
            if (const auto code = characterCode(*key)) {
                onKey_(*code);
            }
        }
        return false;
    }

private:
    // A key the focused control ignores travels up to its parents as the same event, each
    // time through the application's filters; the window must see it only once.
    bool isPropagation(const QKeyEvent* key, QWidget* receiver) {
        const bool repeated = key == lastEvent_ && key->timestamp() == lastTimestamp_ &&
                              lastReceiver_ && receiver == lastReceiver_->parentWidget();
        lastEvent_ = key;
        lastTimestamp_ = key->timestamp();
        lastReceiver_ = receiver;
        return repeated;
    }

    // Keys typed into a message box or a menu are theirs; the open drop-down list of a
    // control on the window still counts as the window's.
    bool belongsToWindow(const QWidget* widget) const {
        for (; widget != nullptr; widget = widget->parentWidget()) {
            if (widget == window_) {
                return true;
            }
            if (qobject_cast<const QMenu*>(widget) || qobject_cast<const QMenuBar*>(widget)) {
                return false;
            }
            if (widget->isWindow() && widget->windowType() != Qt::Popup) {
                return false;
            }
        }
        return false;
    }

    QWidget* window_ = nullptr;
    std::function<void(int)> onKey_;
    const QKeyEvent* lastEvent_ = nullptr;
    quint64 lastTimestamp_ = 0;
    QPointer<QWidget> lastReceiver_;
};

MainWindowWidget::MainWindowWidget(QWidget* parent) : QMainWindow(parent, kWindowFlags) {
    using namespace main_layout;
    setWindowTitle(text(kCaption));
    setWindowIcon(QIcon(text(kIconPath)));
    QFont font(text(kFontFamily));
    font.setPointSizeF(kFontPointSize);
    font.setBold(kFontBold);
    setFont(font);

    buildMenuBar();
    buildControls();

    dataRead_ = new QTimer(this);
    dataRead_->setObjectName(text(kDataReadTimerName));
    dataRead_->setInterval(kDataReadIntervalMs);
    connect(dataRead_, &QTimer::timeout, this,
            [this] { fire(&MainWindowEvents::tmrDataRead_Timer); });
    dataRead_->start();

    keyPreview_ = new KeyPreviewFilter(this, [this](int code) {
        if (events_ != nullptr) {
            events_->Form_KeyPress(code);
        }
    });

    // No handler for the session manager's commit-data request: desktops send it for every
    // session save, not only at log-out. When the session really ends, Qt closes the window
    // like its close box, and the close query runs then.

    // The window's size follows from its fixed client area plus whatever the menu bar needs.
    layout()->setSizeConstraint(QLayout::SetFixedSize);
    applyLayout(screen()->logicalDotsPerInch());
}

void MainWindowWidget::buildMenuBar() {
    // Menus keep the platform's menu font rather than the window's bold control font; fully
    // resolved, or the menu bar would inherit the window's font after all.
    QFont menuFont = QApplication::font(menuBar());
    menuFont.setResolveMask(QFont::AllPropertiesResolved);
    menuBar()->setFont(menuFont);
    static_assert(main_layout::kMenuBar[0].name == "mnuFile" &&
                      main_layout::kMenuBar[1].name == "mnuView",
                  "fileMenu() and viewMenu() are the first two menus");
    for (std::size_t m = 0; m < main_layout::kMenuBar.size(); ++m) {
        const auto& menuLayout = main_layout::kMenuBar[m];
        QMenu* menu = menuBar()->addMenu(text(menuLayout.caption));
        menu->setObjectName(text(menuLayout.name));
        if (m == 0) {
            fileMenu_ = menu;
        } else if (m == 1) {
            viewMenu_ = menu;
        }
        for (const auto& item : menuLayout.items) {
            QAction* action = menu->addAction(text(item.caption));
            action->setObjectName(text(item.name));
            connect(action, &QAction::triggered, this,
                    [this, handler = item.handler] { fire(handler); });
            if (item.handler == &MainWindowEvents::mnuExit_Click) {
                exit_ = action;
            } else if (item.handler == &MainWindowEvents::mnuViewRealTime_Click) {
                viewRealTime_ = action;
            }
        }
    }
}

void MainWindowWidget::buildControls() {
    using namespace main_layout;
    clientArea_ = new QWidget(this);
    setCentralWidget(clientArea_);

    // Created back to front, so the port setup frame stacks above the panel.
    realTimeData_ = new RealTimePanelWidget(clientArea_);
    // The load hides it too, but it must not flash up before that.
    realTimeData_->hide();

    panelFootLine_ = new QLabel(clientArea_);
    panelFootLine_->setObjectName(QStringLiteral("lblPanelFoot"));
    panelFootLine_->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    panelFootLine_->hide();

    portSelect_ = new QGroupBox(text(kPortSelect.caption), clientArea_);
    portSelect_->setObjectName(text(kPortSelect.name));
    // Opaque, as it lies over the black real-time panel.
    portSelect_->setAutoFillBackground(true);
    portSelect_->hide();

    port_ = new QComboBox(portSelect_);
    port_->setObjectName(text(kPort.name));
    portSelectOK_ = new QPushButton(text(kPortSelectOK.caption), portSelect_);
    portSelectOK_->setObjectName(text(kPortSelectOK.name));
    portLabel_ = new QLabel(text(kPortLabel.caption), portSelect_);
    portLabel_->setObjectName(text(kPortLabel.name));
    portLabel_->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    // Only a user's choice is a click; the logic's own selections raise nothing.
    connect(port_, &QComboBox::activated, this, [this] { fire(&MainWindowEvents::cboPort_Click); });
    connect(portSelectOK_, &QPushButton::clicked, this,
            [this] { fire(&MainWindowEvents::cmdPortSelectOK_Click); });
    connect(realTimeData_, &RealTimePanelWidget::closeClicked, this,
            [this] { fire(&MainWindowEvents::cmdCloseRealTimeData_Click); });
}

void MainWindowWidget::applyLayout(double logicalDpi) {
    using namespace main_layout;
    const auto place = [logicalDpi](QWidget* widget, const ControlLayout& layout) {
        widget->setGeometry(twipsRect(layout.box, logicalDpi));
    };
    layoutDpi_ = logicalDpi;
    const int width = twipsToPixels(kClientWidth, logicalDpi);
    const int height = twipsToPixels(kClientHeight, logicalDpi);
    const int footHeight = panelFootLine_->fontMetrics().height() + 2 * kFootLineMargin;
    panelFootLine_->setGeometry(kFootLineMargin, height, width - 2 * kFootLineMargin, footHeight);
    clientArea_->setFixedSize(width, panelFootLine_->isHidden() ? height : height + footHeight);
    realTimeData_->setGeometry(twipsRect(gauge_tables::kPanel.box, logicalDpi));
    place(portSelect_, kPortSelect);
    place(port_, kPort);
    place(portSelectOK_, kPortSelectOK);
    place(portLabel_, kPortLabel);
}

void MainWindowWidget::setPanelFootLineShown(bool shown) {
    if (shown == !panelFootLine_->isHidden()) {
        return;
    }
    panelFootLine_->setVisible(shown);
    applyLayout(layoutDpi_);
}

void MainWindowWidget::setEvents(MainWindowEvents* events) {
    events_ = events;
}

void MainWindowWidget::fire(void (MainWindowEvents::*handler)()) {
    if (events_ != nullptr) {
        (events_->*handler)();
    }
}

void MainWindowWidget::setKeyPreview(bool on) {
    if (on) {
        qApp->installEventFilter(keyPreview_);
    } else {
        qApp->removeEventFilter(keyPreview_);
    }
}

void MainWindowWidget::setApplicationTitle(const QString& title) {
    // The settings store files the port under this name. The display name stays unset, as
    // the platform would otherwise append it to every window caption.
    QCoreApplication::setApplicationName(title);
}

void MainWindowWidget::setPortSetupVisible(bool visible) {
    portSelect_->setVisible(visible);
}

void MainWindowWidget::addPortListItem(const QString& item) {
    // A combo box selects its first entry by itself; the list must stay unselected until
    // the logic picks the stored port.
    const int selected = port_->currentIndex();
    port_->addItem(item);
    port_->setCurrentIndex(selected);
}

int MainWindowWidget::portListCount() const {
    return port_->count();
}

void MainWindowWidget::setPortListIndex(int index) {
    const int count = port_->count();
    if (index < -1 || index >= count) {
        const QString range = count == 0 ? QStringLiteral("the list is empty")
                                         : QStringLiteral("entries 0 to %1").arg(count - 1);
        throw RaisedError::platform(
            text(main_layout::kPort.name),
            QStringLiteral("Port list has no entry %1 (%2)").arg(index).arg(range));
    }
    port_->setCurrentIndex(index);
}

int MainWindowWidget::portListIndex() const {
    return port_->currentIndex();
}

void MainWindowWidget::unload() {
    close();
}

RealTimeView& MainWindowWidget::realTime() {
    return *realTimeData_;
}

void MainWindowWidget::closeEvent(QCloseEvent* event) {
    emit closing();
    fire(&MainWindowEvents::Form_QueryUnload);
    // Closing cannot be refused, whatever the handler or anyone before it did.
    event->accept();
}

}  // namespace quillmark
