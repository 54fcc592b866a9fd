#pragma once
// Connects the DAS code to the application: the archive classes, the three transfers on the
// site workers, and the activity log and modified flag the DAS code reports to.

class CVANTIQApp;

void InstallDASSupport(CVANTIQApp& app);
