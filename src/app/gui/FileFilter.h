#pragma once
#include <QString>
#include <string>

// Turns a filter of the form "Name (*.a)|*.a|Other|*.b||" into Qt's "Name (*.a);;Other (*.b)".
QString ToQtFileFilter(const std::string& pipeFilter);
