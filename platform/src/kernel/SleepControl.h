// Lets a companion tool that runs the system's code without an operator
// (the log decoder, benchmarks) make Sleep return at once.
#pragma once

namespace winapi {

void setSleepDisabled(bool disabled);
bool sleepDisabled();

} // namespace winapi
