#include "das/DASClasses.h"

#include "das/DASChannel.h"
#include "das/DASEvent.h"
#include "das/DASParameter.h"
#include "das/DASPoint.h"

void RegisterDASClasses() {
    CDASEvent::RegisterClass();
    CDASPoint::RegisterClass();
    CDASParameter::RegisterClass();
    CDASChannel::RegisterClass();
}
