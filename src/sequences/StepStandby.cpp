#include "sequences/StepStandby.h"

#include "model/TokenStream.h"

bool CStepStandby::Parse(TokenStream& ts) {
    ts.GetToken();
    return true;
}
