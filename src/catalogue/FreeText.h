#pragma once

// The entries of the category and product choosers.

#include "common/Choice.h"

namespace catalogue {

using Choice = common::Choice;
using Choices = common::Choices;

} // namespace catalogue
