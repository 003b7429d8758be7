// SPDX-License-Identifier: MIT
// cpp_int_without_streams.h - Boost's cpp_int and cpp_rational, without the
// standard streams' start-up.
//
// cpp_int.hpp includes <iostream> for its stream operators, which need only
// <istream> and <ostream>. Before GCC 13, libstdc++'s <iostream> puts a
// constructor of the standard streams into every file that includes it: the
// saver would build cout, cin and their locales at every start (half a
// megabyte resident) and link the locale machinery into the static Windows
// program, for streams it never uses. Include this header instead of
// cpp_int.hpp.
#pragma once

#include <istream>
#include <ostream>

#if defined(__GLIBCXX__) && _GLIBCXX_RELEASE < 13 && !defined(_GLIBCXX_IOSTREAM)
#define _GLIBCXX_IOSTREAM 1
#include <boost/multiprecision/cpp_int.hpp>
#undef _GLIBCXX_IOSTREAM
#else
#include <boost/multiprecision/cpp_int.hpp>
#endif
