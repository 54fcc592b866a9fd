#pragma once
// One look for the OK, Cancel and Close buttons of every window: the look of the standard
// buttons of a button box, which carry the style's icons where the desktop asks for them
// and none elsewhere. Buttons made by hand (the list windows' Close, a prompt's Cancel) are
// given the same icon here.

#include <QDialogButtonBox>

class QAbstractButton;

// The icon the style gives a standard button of this kind, or none when the style shows
// no icons on dialog buttons.
void StyleAsStandardButton(QAbstractButton& button, QDialogButtonBox::StandardButton kind);
