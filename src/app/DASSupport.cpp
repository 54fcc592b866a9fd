#include "app/DASSupport.h"

#include "das/DASExchange.h"

void InstallDASSupport(CVANTIQApp&) {
    InstallDAS();
}
