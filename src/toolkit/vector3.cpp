#include "toolkit/vector3.h"

Vector3::~Vector3() = default;
