// The mark between a number's whole part and its fraction, on its own so
// that the load's options name it without the trait values' reading.
#pragma once

enum class DecimalMark : char { point = '.', comma = ',' };
