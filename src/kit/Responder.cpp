#include "kit/Responder.h"

namespace kit {

bool Responder::tryToPerform(const Action&, Responder*) { return false; }

}  // namespace kit
