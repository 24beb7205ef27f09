// Commands the program sends to the receiver: bytes from the line are cut
// into CR LF lines, checked, logged and answered the way the receiver modules
// we imitate answer them.
//
//   $PMTK101 / $PMTK102        hot / warm restart
//   $PMTK103 / $PMTK104        cold restart / full cold restart
//   $PMTK605                   version query, answered with $PMTK705
//   $PSRF151,01 / ,00          WAAS on / off, answered "WAAS Enable"/"Disable"
//   $PSRF103,mm,00,rr,01       output rate of one sentence (00 GGA, 01 GLL,
//                              02 GSA, 03 GSV, 04 RMC, 05 VTG); rate 0 = off
#pragma once

#include "Receiver.h"
#include "SimLog.h"

#include <string>
#include <string_view>
#include <vector>

namespace sim {

class CommandHandler {
  public:
    static constexpr size_t kMaxLine = 1024;
    static constexpr const char* kVersionReply = "PMTK705,AXN_5.1.7_3333_19011000,0005,SIM-GPS,1.0";

    CommandHandler(Receiver& receiver, SimLog& log) : rx_(receiver), log_(log) {}

    // While a log is replayed there is no receiver to restart.
    void setRestartsAllowed(bool on) { restartsAllowed_ = on; }

    // Received bytes; complete lines are handled. Returns the reply
    // sentences (with CR LF) to send.
    std::vector<std::string> feed(std::string_view bytes, double unixTime);

    // One received line, with or without its CR LF.
    std::vector<std::string> handleLine(std::string_view line, double unixTime);

  private:
    Receiver& rx_;
    SimLog& log_;
    std::string pending_;
    bool dropping_ = false; // inside a line that grew too long
    bool restartsAllowed_ = true;
};

} // namespace sim
