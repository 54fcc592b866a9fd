#pragma once
// Makes the DAS classes known to the configuration archive (events, data points, channels
// and their parameters), so an instrument's lists load from a standard file.

void RegisterDASClasses();
