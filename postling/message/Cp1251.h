// Code page 1251 letter case, independent of the process locale. Every
// case-insensitive comparison of the program goes through here.
#pragma once

#include <string>

unsigned char UpperCase1251(unsigned char c);
std::string ToUpper1251(const std::string& text);
