#pragma once
// Installs the property dialogs of the connections layer as the model's editors: the four
// transport dialogs (CConnection::EditProperties picks one by the transport's kind), Site
// Properties and Modem Properties. The desktop program calls it once at start-up.

class CConnection;
class QWidget;

void InstallConnectionDialogs();

// The transport's own dialog, modal on parent; true on OK. A kind without a dialog gives
// false.
bool EditConnectionProperties(QWidget* parent, CConnection& connection);
