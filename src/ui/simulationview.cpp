#include "ui/simulationview.h"

#include <algorithm>
#include <cmath>

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPainter>
#include <QPushButton>
#include <QStyle>
#include <QTimer>
#include <QVBoxLayout>

#include "common/textrules.h"
#include "port/simulatedmachine.h"
#include "ui/appcontext.h"
#include "ui/windowregistry.h"

namespace tarvel {

namespace {

const QColor kCuttingColour(0xc0, 0x39, 0x2b);
const QColor kRaisedColour(0x4a, 0x90, 0xd9);
constexpr int kRefreshMs = 33;  // about 30 pictures a second

QString millimetres(double mm) { return QString::fromStdString(millimetreText(mm)); }

QPen segmentPen(bool inMaterial) {
    return inMaterial ? QPen(kCuttingColour, 2.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin)
                      : QPen(kRaisedColour, 1.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

QLabel* lineKey(const QColor& colour, int thickness, const QString& text, QWidget* parent) {
    auto* key = new QLabel(parent);
    key->setTextFormat(Qt::RichText);
    key->setText(QString("<span style=\"background:%1\">%2</span>&nbsp; %3")
                     .arg(colour.name())
                     .arg(QString("&nbsp;").repeated(thickness), text));
    return key;
}

}  // namespace

// --- SimulationTrace ---------------------------------------------------------------

SimulationTrace::SimulationTrace(SimulatedMachine& machine, std::function<void()> openView, QObject* parent)
    : QObject(parent), machine_(machine), openView_(std::move(openView)) {
    clear();
    listener_ = machine_.addListener([this](const MachineMotion& m) {
        const Wiring& w = machine_.wiring();
        if (m.blocked && blockedAt_.size() < kMaxBlockedMarks) {
            const QPointF at(m.x / w.stepsPerMmX, m.y / w.stepsPerMmY);
            if (blockedAt_.empty() || blockedAt_.back() != at) blockedAt_.push_back(at);
        }
        if (!m.moved) return;
        path_.moveTo(m.x / w.stepsPerMmX, m.y / w.stepsPerMmY, m.inMaterial);
        if (!opened_) {
            opened_ = true;
            // Not from inside the write: the motion loop opens it at its next yield.
            if (openView_) QTimer::singleShot(0, this, openView_);
        }
    });
}

SimulationTrace::~SimulationTrace() {
    machine_.removeListener(listener_);
}

void SimulationTrace::clear() {
    path_.restartAt(machine_.xMm(), machine_.yMm(), machine_.inMaterial());
    blockedAt_.clear();
}

// --- TraceCanvas -------------------------------------------------------------------

TraceCanvas::TraceCanvas(SimulationTrace& trace, QWidget* parent) : QWidget(parent), trace_(trace) {
    setObjectName("trace");
    setMinimumSize(300, 300);
    setAttribute(Qt::WA_OpaquePaintEvent);
    // The whole travel of X and Y, switches and overtravel included.
    const SimulatedMachineSettings& s = trace_.machine().settings();
    travel_ = QRectF(QPointF(s.xHomeMm - s.overtravelMm, s.yHomeMm - s.overtravelMm),
                     QPointF(s.xEndMm, s.yEndMm));
}

void TraceCanvas::fitTravel() {
    const double margin = 14;
    scale_ = std::min((width() - 2 * margin) / travel_.width(), (height() - 2 * margin) / travel_.height());
    const double usedW = travel_.width() * scale_, usedH = travel_.height() * scale_;
    const double left = (width() - usedW) / 2, top = (height() - usedH) / 2;
    origin_ = QPointF(left - travel_.left() * scale_, top + travel_.bottom() * scale_);
}

QPointF TraceCanvas::toScreen(double x, double y) const {
    return {origin_.x() + x * scale_, origin_.y() - y * scale_};
}

void TraceCanvas::drawNewSegments() {
    const ToolPath& path = trace_.path();
    const auto& corners = path.corners();
    const std::uint64_t first = path.committedCount() - corners.size();
    if (cache_.size() != size() || drawnGeneration_ != path.generation()) {
        cache_ = QImage(size(), QImage::Format_ARGB32_Premultiplied);
        cache_.fill(Qt::transparent);
        drawnGeneration_ = path.generation();
        drawnCorners_ = first + 1;
    }
    QPainter p(&cache_);
    p.setRenderHint(QPainter::Antialiasing);
    for (std::uint64_t i = std::max(drawnCorners_, first + 1); i < path.committedCount(); ++i) {
        const PathPoint& a = corners[i - 1 - first];
        const PathPoint& b = corners[i - first];
        p.setPen(segmentPen(b.inMaterial));
        p.drawLine(toScreen(a.x, a.y), toScreen(b.x, b.y));
    }
    drawnCorners_ = std::max(drawnCorners_, path.committedCount());
}

void TraceCanvas::paintEvent(QPaintEvent*) {
    fitTravel();
    QPainter p(this);
    p.fillRect(rect(), QColor(0xee, 0xef, 0xf1));

    // The table: its travel, a 10 mm grid, heavier every 50 mm, and the axes through
    // the start position.
    const QRectF table(toScreen(travel_.left(), travel_.bottom()), toScreen(travel_.right(), travel_.top()));
    p.fillRect(table, Qt::white);
    for (int mm = static_cast<int>(std::ceil(travel_.left() / 10)) * 10; mm <= travel_.right(); mm += 10) {
        p.setPen(mm % 50 == 0 ? QColor(0xcf, 0xd4, 0xda) : QColor(0xec, 0xee, 0xf0));
        p.drawLine(toScreen(mm, travel_.top()), toScreen(mm, travel_.bottom()));
    }
    for (int mm = static_cast<int>(std::ceil(travel_.top() / 10)) * 10; mm <= travel_.bottom(); mm += 10) {
        p.setPen(mm % 50 == 0 ? QColor(0xcf, 0xd4, 0xda) : QColor(0xec, 0xee, 0xf0));
        p.drawLine(toScreen(travel_.left(), mm), toScreen(travel_.right(), mm));
    }
    p.setPen(QPen(QColor(0x8a, 0x94, 0xa0), 1, Qt::DashLine));
    p.drawLine(toScreen(travel_.left(), 0), toScreen(travel_.right(), 0));
    p.drawLine(toScreen(0, travel_.top()), toScreen(0, travel_.bottom()));
    p.setPen(QColor(0x60, 0x68, 0x70));
    p.drawRect(table);
    p.drawText(toScreen(travel_.right(), 0) + QPointF(-14, -5), "X");
    p.drawText(toScreen(0, travel_.bottom()) + QPointF(5, 14), "Y");
    p.drawText(table.bottomLeft() + QPointF(6, -6), "carreaux de 10 mm");

    drawNewSegments();
    p.drawImage(0, 0, cache_);

    p.setRenderHint(QPainter::Antialiasing);
    const ToolPath& path = trace_.path();
    const PathPoint last = path.corners().back();
    const PathPoint now = path.current();
    p.setPen(segmentPen(now.inMaterial));
    p.drawLine(toScreen(last.x, last.y), toScreen(now.x, now.y));

    // Where a stop refused steps: a red cross, the steps there were lost.
    p.setPen(QPen(QColor(0xd0, 0x20, 0x20), 2));
    for (const QPointF& at : trace_.blockedAt()) {
        const QPointF c = toScreen(at.x(), at.y());
        p.drawLine(c + QPointF(-6, -6), c + QPointF(6, 6));
        p.drawLine(c + QPointF(-6, 6), c + QPointF(6, -6));
    }

    // The tool: filled when it is in the material.
    const QPointF tool = toScreen(now.x, now.y);
    p.setPen(QPen(QColor(0x20, 0x20, 0x20), 1.5));
    p.setBrush(now.inMaterial ? kCuttingColour : QColor(255, 255, 255, 200));
    p.drawEllipse(tool, 5, 5);
    p.drawLine(tool - QPointF(9, 0), tool - QPointF(6, 0));
    p.drawLine(tool + QPointF(6, 0), tool + QPointF(9, 0));
    p.drawLine(tool - QPointF(0, 9), tool - QPointF(0, 6));
    p.drawLine(tool + QPointF(0, 6), tool + QPointF(0, 9));
}

// --- SimulationView ----------------------------------------------------------------

SimulationView::SimulationView(SimulationTrace& trace, QWidget* parent)
    : QWidget(parent), trace_(&trace), canvas_(new TraceCanvas(trace, this)) {
    setObjectName(kSimulationView);
    setWindowTitle("Machine simulée");

    auto* position = new QGroupBox("Position", this);
    auto* pg = new QGridLayout(position);
    QLabel** labels[] = {&x_, &y_, &z_};
    const char* names[] = {"positionX", "positionY", "positionZ"};
    for (int i = 0; i < 3; ++i) {
        *labels[i] = new QLabel(position);
        (*labels[i])->setObjectName(names[i]);
        QFont mono = (*labels[i])->font();
        mono.setStyleHint(QFont::Monospace);
        mono.setFamily("Monospace");
        mono.setPointSizeF(mono.pointSizeF() * 1.15);
        (*labels[i])->setFont(mono);
        pg->addWidget(*labels[i], i, 0);
    }
    tool_ = new QLabel(position);
    tool_->setObjectName("outil");
    pg->addWidget(tool_, 3, 0);

    auto* contacts = new QGroupBox("Contacts", this);
    auto* cg = new QVBoxLayout(contacts);
    const char* switchNames[] = {"contactXHome", "contactYHome", "contactZClearance", "contactZHome"};
    const char* switchCaptions[] = {"Point 0 axe X (pin 11)", "Point 0 axe Y (pin 12)",
                                    "Dégagement axe Z (pin 13)", "Point 0 axe Z (pin 15)"};
    for (int i = 0; i < 4; ++i) {
        switches_[i] = new QLabel(switchCaptions[i], contacts);
        switches_[i]->setObjectName(switchNames[i]);
        switches_[i]->setStyleSheet(
            "QLabel { padding: 3px 6px; border-radius: 4px; border: 1px solid #9aa3ad;"
            " background: #f3f4f6; color: #444; }"
            "QLabel[atteint=\"true\"] { background: #f5c542; border-color: #b8860b; color: black;"
            " font-weight: bold; }");
        cg->addWidget(switches_[i]);
    }

    auto* legend = new QGroupBox("Tracé", this);
    auto* lg = new QVBoxLayout(legend);
    lg->addWidget(lineKey(kCuttingColour, 6, "dans la matière", legend));
    lg->addWidget(lineKey(kRaisedColour, 6, "hors matière", legend));

    auto* clear = new QPushButton("Effacer le tracé", this);
    clear->setObjectName("effacerTrace");
    connect(clear, &QPushButton::clicked, this, [this] {
        if (trace_) trace_->clear();
        refresh();
    });

    auto* side = new QVBoxLayout;
    side->addWidget(position);
    side->addWidget(contacts);
    side->addWidget(legend);
    side->addStretch(1);
    side->addWidget(clear);

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(8, 8, 8, 8);
    layout->addWidget(canvas_, 1);
    layout->addLayout(side);
    resize(780, 560);

    timer_ = new QTimer(this);
    connect(timer_, &QTimer::timeout, this, &SimulationView::refresh);
    timer_->start(kRefreshMs);
    refresh();
}

void SimulationView::refresh() {
    if (!trace_) {
        timer_->stop();
        return;
    }
    SimulatedMachine& m = trace_->machine();
    const std::int64_t now[3] = {m.xSteps(), m.ySteps(), m.zSteps()};
    const bool moved = !std::equal(now, now + 3, shown_);
    if (!first_ && !moved && trace_->path().revision() == shownRevision_) return;
    first_ = false;
    std::copy(now, now + 3, shown_);
    shownRevision_ = trace_->path().revision();

    x_->setText("X : " + millimetres(m.xMm()) + " mm");
    y_->setText("Y : " + millimetres(m.yMm()) + " mm");
    z_->setText("Z : " + millimetres(m.zMm()) + " mm");
    tool_->setText(m.inMaterial() ? "Outil dans la matière" : "Outil hors matière");

    const SwitchStates s = switchesReached(m);
    const bool reached[4] = {s.xHome, s.yHome, s.zClearance, s.zHome};
    for (int i = 0; i < 4; ++i) {
        if (switches_[i]->property("atteint").toBool() == reached[i]) continue;
        switches_[i]->setProperty("atteint", reached[i]);
        switches_[i]->style()->unpolish(switches_[i]);
        switches_[i]->style()->polish(switches_[i]);
    }
    canvas_->update();
}

// --- Registration ------------------------------------------------------------------

namespace {

// Opens the view at the top right of the area without taking the front from the window
// the user is working in (the cut in progress, manual control).
void openBeside(WindowRegistry& windows) {
    windows.open(kSimulationView);
    QMdiSubWindow* frame = windows.frame(kSimulationView);
    if (frame == nullptr || frame->mdiArea() == nullptr) return;
    QMdiArea* area = frame->mdiArea();
    frame->move(std::max(0, area->viewport()->width() - frame->width()), 0);
    const auto history = area->subWindowList(QMdiArea::ActivationHistoryOrder);
    for (auto it = history.rbegin(); it != history.rend(); ++it)
        if (*it != frame && (*it)->isVisible()) {
            area->setActiveSubWindow(*it);
            break;
        }
}

}  // namespace

void registerSimulationView(WindowRegistry& windows, AppContext& app) {
    auto* machine = app.port.simulated ? dynamic_cast<SimulatedMachine*>(app.port.port.get()) : nullptr;
    if (machine == nullptr) return;
    // The registry owns the trace: it follows the machine as long as the windows exist.
    auto* trace = new SimulationTrace(*machine, [&windows] { openBeside(windows); }, &windows);
    windows.setFactory(kSimulationView, [trace] { return new SimulationView(*trace); });
}

}  // namespace tarvel
