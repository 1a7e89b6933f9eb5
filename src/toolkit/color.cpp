#include "toolkit/color.h"

Color::~Color() = default;
