#pragma once
// A dialog the operator may resize: it never shrinks below its initial size, remembers its
// placement in a numbered layout slot of the application (CVANTIQApp::SLOT_...; -1 for not
// remembered) and moves its registered controls when its size changes.
//
// How to build one:
//   1. Derive from CResizableDialog, passing the layout slot. Place the controls with
//      absolute geometry (setGeometry, as a dialog template would) and give the dialog its
//      template size with resize(). Do not put registered controls in a QLayout: the anchor
//      rules move them.
//   2. In the constructor give each movable control its rules and AddControl it.
//   3. Override OnInitDialog(): call the base first (it records the initial geometry and sets
//      the minimum size), fill the controls, and end with Activate(true), which restores the
//      saved placement and lets resizing move the controls.
//   4. Close with accept() or reject() (OK and Cancel); both store the placement. done() with
//      another result closes without storing it.
// OnInitDialog() runs once, when the dialog is first shown (exec(), open() or show()).

#include "base/Rect.h"

#include <QDialog>
#include <vector>

class CResizableControl;

class CResizableDialog : public QDialog {
    Q_OBJECT
public:
    // The edge or corner being dragged in an interactive resize.
    enum SizingEdge {
        EDGE_LEFT,
        EDGE_RIGHT,
        EDGE_TOP,
        EDGE_TOPLEFT,
        EDGE_TOPRIGHT,
        EDGE_BOTTOM,
        EDGE_BOTTOMLEFT,
        EDGE_BOTTOMRIGHT
    };

    explicit CResizableDialog(int layoutSlot, QWidget* parent = nullptr);
    ~CResizableDialog() override;

    // Registers a control (not owned); controls move in the order they were added.
    void AddControl(CResizableControl* control);
    const std::vector<CResizableControl*>& Controls() const { return m_controls; }

    // Becomes ready and, for a remembered dialog with a saved rectangle, moves there.
    void Activate(bool ready);
    bool IsReady() const { return m_ready; }
    int LayoutSlot() const { return m_layoutSlot; }

    // The minimum track size (the initial window size), once initialised.
    QSize MinimumTrackSize() const { return QSize(m_minWidth, m_minHeight); }
    QSize InitialClientSize() const { return m_initialClient; }
    bool IsInitialised() const { return m_initialised; }

    // Keeps a proposed rectangle at least the minimum size: the dragged edge is the one that
    // gives way, so the opposite edge stays where it was.
    Rect OnSizing(SizingEdge edge, const Rect& proposed) const;
    // The client area changed size: moves every registered control when ready.
    void OnSize(int width, int height);

    // Runs modally over the owner's window only (WindowModal.h).
    int exec() override;
    void accept() override;
    void reject() override;

protected:
    // Records the initial window and client geometry and sets the minimum size. Concrete
    // dialogs call the base first and end with Activate(true).
    virtual void OnInitDialog();
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void StorePlacement();

    std::vector<CResizableControl*> m_controls;
    int m_layoutSlot;
    int m_minWidth = 0;
    int m_minHeight = 0;
    QSize m_initialClient;
    bool m_ready = false;
    bool m_initialised = false;
};
