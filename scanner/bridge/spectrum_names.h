#pragma once

#include "shared/basics/text_fields.h"

#include <QString>

// The parts of a spectrum file's name: the load, the nickname of the kind of spectrum and
// the position on the pane. Its folder is the channel's "new" folder of the current product.

// Nearest integer, a tie going to the even one (1234.5 gives 1234, 1235.5 gives 1236).
double round_half_even(double value);

// A position in whole millimetres. Values beyond the range of int give its nearest end,
// NaN gives 0 (here and on the grid).
int position_field_1mm(float value);
// A position on a grid of `step` millimetres counted from zero (20: 30 gives 40, 50 gives 40).
int position_field_grid(double value, int step);

// folder\<load>___<nickname>___<longitudinal>___<lateral>___0.xy
QString spectrum_file_name(const QString& folder, const QString& load_id, const QString& nickname,
                           int longitudinal, int lateral);

// A load whose id contains the postbake key phrase (case-sensitive) is a postbake sample;
// an empty key phrase never matches.
bool is_postbake_load(const QString& load_id, const QString& postbake_key_phrase);
