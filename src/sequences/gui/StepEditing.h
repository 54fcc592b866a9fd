#pragma once
// A step's properties dialog, chosen by the step's kind.

class CInstrumentConnection;
class CStep;
class QWidget;

// Shows the step's dialog over parent; true when the operator accepted and the values are
// stored. False for a kind that has no dialog.
bool EditStep(CStep& step, CInstrumentConnection& inst, QWidget* parent);
// Whether the window has a dialog for the step's kind.
bool HasStepDialog(const CStep& step);
