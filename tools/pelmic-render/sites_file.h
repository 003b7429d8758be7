// SPDX-License-Identifier: MIT
// sites_file.h - reading fixed sites, one "x y" line each.
#pragma once

#include <istream>
#include <string>

#include "geometry/diagram_tables.h"
#include "geometry/screen.h"

namespace pelmic::render {

// Reads 2 to 49 distinct sites inside [0, W) x [0, H). Blank lines, and a UTF-8
// byte-order mark at the very start, are skipped; lines are capped at 4 KiB, so
// memory stays bounded whatever the file holds. Throws InputError naming the
// file, the line and the problem, every byte of them printable.
SiteTable ReadSitesFile(const std::string& path, ScreenSize screen);

// The same from a stream already open; `name` stands for it in messages.
SiteTable ReadSites(std::istream& in, const std::string& name, ScreenSize screen);

}  // namespace pelmic::render
