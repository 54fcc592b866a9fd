#pragma once
// Connects the DAS code to the application: the archive classes and the three transfers on
// the site workers (the log and the modified flag reach the application through its
// services).

class CVANTIQApp;

void InstallDASSupport(CVANTIQApp& app);
