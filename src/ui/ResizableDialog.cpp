#include "ui/ResizableDialog.h"

#include "base/AppServices.h"
#include "ui/ResizableControl.h"
#include "ui/WindowModal.h"

#include <QResizeEvent>
#include <QShowEvent>

CResizableDialog::CResizableDialog(int layoutSlot, QWidget* parent)
    : QDialog(parent), m_layoutSlot(layoutSlot) {
    setSizeGripEnabled(true);
}

CResizableDialog::~CResizableDialog() = default;

void CResizableDialog::AddControl(CResizableControl* control) {
    if (control)
        m_controls.push_back(control);
}

void CResizableDialog::OnInitDialog() {
    ensurePolished();
    // The window system draws the frame; the client geometry is what we place and remember.
    m_minWidth = width();
    m_minHeight = height();
    m_initialClient = size();
    setMinimumSize(m_minWidth, m_minHeight);
    m_initialised = true;
}

void CResizableDialog::showEvent(QShowEvent* event) {
    if (!m_initialised && !event->spontaneous())
        OnInitDialog();
    QDialog::showEvent(event);
}

void CResizableDialog::Activate(bool ready) {
    m_ready = ready;
    if (m_layoutSlot < 0)
        return;
    AppServices* app = AppServices::Get();
    if (!app)
        return;
    const Rect r = app->GetWindowLayout(m_layoutSlot);
    if (r.left == AppServices::kUnset)
        return;
    setGeometry(r.left, r.top, r.Width(), r.Height());
    // Offscreen and before the first show the resize event may be deferred; lay out now.
    OnSize(width(), height());
    update();
}

Rect CResizableDialog::OnSizing(SizingEdge edge, const Rect& proposed) const {
    Rect r = proposed;
    if (r.Width() < m_minWidth) {
        if (edge == EDGE_LEFT || edge == EDGE_TOPLEFT || edge == EDGE_BOTTOMLEFT)
            r.left = r.right - m_minWidth;
        else
            r.right = r.left + m_minWidth;
    }
    if (r.Height() < m_minHeight) {
        if (edge == EDGE_TOP || edge == EDGE_TOPLEFT || edge == EDGE_TOPRIGHT)
            r.top = r.bottom - m_minHeight;
        else
            r.bottom = r.top + m_minHeight;
    }
    return r;
}

void CResizableDialog::OnSize(int width, int height) {
    if (!m_ready)
        return;
    const int dx = width - m_initialClient.width();
    const int dy = height - m_initialClient.height();
    for (CResizableControl* control : m_controls)
        control->Reposition(dx, dy);
    update();
}

void CResizableDialog::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    OnSize(event->size().width(), event->size().height());
}

void CResizableDialog::StorePlacement() {
    if (m_layoutSlot < 0)
        return;
    if (AppServices* app = AppServices::Get()) {
        const QRect g = geometry();
        app->SetWindowLayout(m_layoutSlot,
                             Rect{g.left(), g.top(), g.left() + g.width(), g.top() + g.height()});
    }
}

int CResizableDialog::exec() {
    MakeWindowModal(*this);
    return QDialog::exec();
}

void CResizableDialog::accept() {
    StorePlacement();
    QDialog::accept();
}

void CResizableDialog::reject() {
    StorePlacement();
    QDialog::reject();
}
