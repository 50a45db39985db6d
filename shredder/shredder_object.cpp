#include "shredder_object.h"

namespace fraxil {

ShredderObject::ShredderObject() = default;

}  // namespace fraxil
