// SPDX-License-Identifier: MIT
// input_error.h - bad input to the renderer: reported, exit status 2, nothing written.
#pragma once

#include <stdexcept>

namespace pelmic::render {

class InputError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

}  // namespace pelmic::render
