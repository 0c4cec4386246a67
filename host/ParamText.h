// Parameter values as the renderer's user writes them: finds Dilatorix's
// parameters by name in the plug-in's own table, turns value text into the real
// units the state chunk holds (enums by choice text or index, bools by on/off or
// 1/0, numbers within their range) and describes each parameter for listing.
// Plain functions over the constant table; failures come back as false with a
// one-line reason.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "effect/StretchParamSpecs.h"

// A parameter the renderer lets the user set: named, not the editor's button.
const StretchParamSpec* FindStretchParam(const std::string& name);
const StretchParamSpec* StretchParamAt(int index);
// Settable parameters in index order.
std::vector<const StretchParamSpec*> SettableStretchParams();

// Reads text as a value of record, named by its parameter name in the reason.
bool ParseParamValue(const StretchParamSpec& record, const std::string& text, double* value,
                     std::string* error);
// True when value lies within record's range (enums: a choice index; bools: 0 or
// 1); 'what' names the value in the reason, e.g. an option.
bool CheckParamValue(const StretchParamSpec& record, double value, const std::string& what,
                     std::string* error);

double ParamDefault(const StretchParamSpec& record);
// value (real units, within range) as the 0..1 value a host sends: linear over
// the range; an enum's choices spread evenly, a bool 0 or 1.
double ParamNormalized(const StretchParamSpec& record, double value);
// "0 .. 1000", "off|on", "Fwd|Rev|Fwd-Rev|Rand Walk".
std::string ParamRangeText(const StretchParamSpec& record);
// A value as a list shows it: choice text, on/off, or four significant digits.
std::string ParamValueText(const StretchParamSpec& record, double value);
// The table --list-params shows: name, values, default.
void PrintParamList(std::FILE* stream);

// Strict number reading: the whole text, finite.
bool ParseNumber(const std::string& text, double* value);
bool ParseInteger(const std::string& text, long long* value);
