#pragma once

#include <string>

// out becomes the string resource of that id (at most 255 characters; empty when missing).
std::string& ResString(std::string& out, int id);
