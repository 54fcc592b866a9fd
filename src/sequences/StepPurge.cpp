#include "sequences/StepPurge.h"

#include "model/TokenStream.h"

bool CStepPurge::Parse(TokenStream& ts) {
    ts.GetToken();
    return true;
}
