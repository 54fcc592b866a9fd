#pragma once
// A step's properties dialog, chosen by the step's kind.

class CInstrumentConnection;
class CStep;
class QWidget;

// Shows the step's dialog over parent; true when the operator accepted and the values are
// stored. False for a kind without parameters.
bool EditStep(CStep& step, CInstrumentConnection& inst, QWidget* parent);
