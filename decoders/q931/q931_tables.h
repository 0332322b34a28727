// Value-name tables of the Q.931 call control decoder (table ids 1, 4, 5, 6
// and 22 to 33). Rows stay in the order listed: it is the search order, and
// the row index of an element identifier in table 5 also picks the element's
// decoder in IeDecoderTable.
#pragma once

#include "core/value_names.h"

namespace korvex {

// Table 1: protocol discriminators, ten characters each.
inline constexpr ValueName kQ931ProtocolNames[] = {{0x08, "  Q.931   "}, {0x09, "  Q.2931  "}};

// Table 4: message types; also the type of a segmented message.
// "RESUME_REJ", with its underscore, is this system's own text, kept on purpose.
inline constexpr ValueName kQ931MessageTypes[] = {
    {0x01, "ALERTING"},    {0x02, "PROCEEDING"},   {0x07, "CONNECT"},      {0x0F, "CONNECT ACK"},
    {0x03, "PROGRESS"},    {0x05, "SETUP"},        {0x0D, "SETUP ACK"},    {0x26, "RESUME"},
    {0x2E, "RESUME ACK"},  {0x22, "RESUME_REJ"},   {0x25, "SUSPEND"},      {0x2D, "SUSPEND ACK"},
    {0x21, "SUSPEND REJ"}, {0x20, "USER INFO"},    {0x45, "DISCONNECT"},   {0x4D, "RELEASE"},
    {0x5A, "RELEASE COMP"}, {0x46, "RESTART"},     {0x4E, "RESTART ACK"},  {0x60, "SEGMENT"},
    {0x79, "CONGESTION"},  {0x7B, "INFORMATION"},  {0x6E, "NOTIFY"},       {0x7D, "STATUS"},
    {0x75, "STATUS ENQ"},
};

// Table 5: information element identifiers. Rows 0 to 5 name the
// single-octet elements (looked up by their high four bits, or whole for
// 0xA0 and 0xA1); the others name the variable-length elements.
inline constexpr ValueName kQ931ElementNames[] = {
    {0x80, "Reserved"},
    {0x90, "Shift"},
    {0xA0, "More data"},
    {0xA1, "Sending complete"},
    {0xB0, "Congestion level"},
    {0xD0, "Repeat indicator"},
    {0x00, "Segmented message"},
    {0x04, "Bearer capability"},
    {0x08, "Cause"},
    {0x10, "Call identity"},
    {0x14, "Call state"},
    {0x18, "Channel identification"},
    {0x1E, "Progress indicator"},
    {0x20, "Network specific facilities"},
    {0x27, "Notification indicator"},
    {0x28, "Display"},
    {0x29, "Date time"},
    {0x2C, "Keypad facility"},
    {0x34, "Signal"},
    {0x40, "Information rate"},
    {0x42, "End to end transit delay"},
    {0x43, "Transit delay selection and indication"},
    {0x44, "Packet layer binary parameters"},
    {0x45, "Packet layer window size"},
    {0x46, "Packet size"},
    {0x47, "Closed user group"},
    {0x4A, "Reverse charging indication"},
    {0x6C, "Calling party number"},
    {0x6D, "Calling party subaddress"},
    {0x70, "Called party number"},
    {0x71, "Called party subaddress"},
    {0x74, "Redirecting number"},
    {0x78, "Transit network selection"},
    {0x79, "Restart indicator"},
    {0x7C, "Low layer compatibility"},
    {0x7D, "High layer compatibility"},
    {0x7E, "User user"},
    {0x7F, "Escape for extension"},
};

inline constexpr int kQ931ElementCount = sizeof kQ931ElementNames / sizeof kQ931ElementNames[0];

// Table 6: the two headings of a bearer capability; no decoder prints them.
inline constexpr ValueName kQ931BearerHeadings[] = {{0, "Transfer Capability: "}, {1, "Transfer Rate      : "}};

// Table 22: congestion level (low four bits of the element).
inline constexpr ValueName kQ931CongestionLevels[] = {{0x0, "Receiver Ready "}, {0xF, "Receiver Not Ready"}};

// Table 23: repeat indicator (low four bits of the element).
inline constexpr ValueName kQ931RepeatIndications[] = {
    {0x2, "Prioritized list for selecting one possibility"},
};

// Table 24: information transfer capability (low five bits of octet 3).
inline constexpr ValueName kQ931TransferCapabilities[] = {
    {0x00, "Speech"},
    {0x08, "Unrestricted digital information"},
    {0x09, "Restricted digital information"},
    {0x10, "3.1 kHz audio"},
    {0x11, "Unrestricted digital information with tones"},
    {0x18, "Video"},
};

// Table 25: information transfer rate (low five bits of octet 4).
inline constexpr ValueName kQ931TransferRates[] = {
    {0x00, "packet mode"},
    {0x10, "64 kbps"},
    {0x11, "2x64 kbps"},
    {0x13, "384 kbps"},
    {0x15, "1536 kbps"},
    {0x17, "1920 kbps"},
    {0x18, "Multirate 64 kbps base rate"},
};

// Table 26: location, in the cause and progress indicator elements.
inline constexpr ValueName kQ931Locations[] = {
    {0x0, "user"},
    {0x1, "private network serving the local user"},
    {0x2, "public network serving the local user"},
    {0x3, "transit network"},
    {0x4, "public network serving the remote user"},
    {0x5, "private network serving the remote user"},
    {0x7, "international network"},
    {0xA, "network beyond interworking point"},
    {0xC, "reserved for national use"},
    {0xD, "reserved for national use"},
    {0xE, "reserved for national use"},
    {0xF, "reserved for national use"},
};

// Table 27: call states (low six bits).
inline constexpr ValueName kQ931CallStates[] = {
    {0x00, "Null"},
    {0x01, "Call initiated"},
    {0x02, "Overlap sending"},
    {0x03, "Outgoing call proceeding"},
    {0x04, "Call delivered"},
    {0x06, "Call present"},
    {0x07, "Call received"},
    {0x08, "Connect request"},
    {0x09, "Incoming call proceeding"},
    {0x0A, "Active"},
    {0x0B, "Disconnect request"},
    {0x0C, "Disconnect indication"},
    {0x0F, "Suspend request"},
    {0x11, "Resume request"},
    {0x12, "Release request"},
    {0x16, "Call abort"},
    {0x19, "Overlap receiving"},
    {0x3D, "REST1 - Restart request"},
    {0x3E, "REST2 - Restart"},
};

// Table 28: channel type or map element type (low four bits of octet 3.2).
// "H12-channel unit", without its s, is this system's own text, kept on purpose.
inline constexpr ValueName kQ931ChannelTypes[] = {
    {0x3, "B-channel units"}, {0x6, "H0-channel units"}, {0x8, "H11-channel units"}, {0x9, "H12-channel unit"},
};

// Table 29: progress descriptions (low seven bits of octet 4).
inline constexpr ValueName kQ931ProgressDescriptions[] = {
    {0x01, "Call is not end-to-end ISDN"},
    {0x02, "Destination address is non-ISDN"},
    {0x03, "Origination address is non-ISDN"},
    {0x04, "Call has returned to the ISDN"},
    {0x05, "Interworking occurred, resulted in telecom service change"},
    {0x08, "In-band information available"},
};

// Table 30: signal values (the whole octet).
inline constexpr ValueName kQ931Signals[] = {
    {0x00, "Dial tone on"},
    {0x01, "Ring back tone on"},
    {0x02, "Intercept tone on"},
    {0x03, "Network congestion tone on"},
    {0x04, "Busy tone on"},
    {0x05, "Confirm tone on"},
    {0x06, "Answer tone on"},
    {0x07, "Call waiting tone"},
    {0x08, "Off-hook warning tone"},
    {0x09, "Pre-emption tone on"},
    {0x3F, "Tones off"},
    {0x40, "Alerting on - pattern 0"},
    {0x41, "Alerting on - pattern 1"},
    {0x42, "Alerting on - pattern 2"},
    {0x43, "Alerting on - pattern 3"},
    {0x44, "Alerting on - pattern 4"},
    {0x45, "Alerting on - pattern 5"},
    {0x46, "Alerting on - pattern 6"},
    {0x47, "Alerting on - pattern 7"},
    {0x4F, "Alerting off"},
};

// Table 31: reason for redirection (low four bits of octet 3b).
inline constexpr ValueName kQ931RedirectionReasons[] = {
    {0x0, "Unknown"},
    {0x1, "Call forwarding busy or called DTE busy"},
    {0x2, "Call forwarding no reply"},
    {0x4, "Call deflection"},
    {0x9, "Called DTE out of order"},
    {0xA, "Call forwarding by the called DTE"},
    {0xF, "Call forwarding unconditional or systematic call redirection"},
};

// Table 32: high layer characteristics identification (low seven bits).
// "Classes II ad III" is this system's own text, kept on purpose.
inline constexpr ValueName kQ931HighLayerCharacteristics[] = {
    {0x01, "Telephony"},
    {0x04, "Facsimile Group 2 3"},
    {0x21, "Facsimile Group 4 Class I"},
    {0x24, "Facsimile service Group 4, Classes II ad III"},
    {0x32, "Syntax based Videotex"},
    {0x33, "International Videotex interworking"},
    {0x35, "Telex service"},
    {0x38, "Message Handling Systems MHS"},
    {0x41, "OSI application"},
    {0x42, "FTAM application"},
    {0x5E, "Reserved for maintenance"},
    {0x5F, "Reserved for management"},
    {0x60, "Videotelephony"},
    {0x61, "Videoconferencing"},
    {0x62, "Audiographic conferencing"},
    {0x63, "Audiovisual service"},
    {0x64, "Audiovisual service"},
    {0x65, "Audiovisual service"},
    {0x66, "Audiovisual service"},
    {0x67, "Audiovisual service"},
    {0x68, "Multimedia services"},
    {0x69, "Audiovisual service"},
    {0x6A, "Audiovisual service"},
    {0x6B, "Audiovisual service"},
    {0x6C, "Audiovisual service"},
    {0x6D, "Audiovisual service"},
    {0x6E, "Audiovisual service"},
    {0x6F, "Audiovisual service"},
    {0x7F, "Reserved"},
};

// Table 33: user-user protocol discriminators below 0x10.
inline constexpr ValueName kQ931UserProtocols[] = {
    {0x00, "User specific protocol"},
    {0x01, "OSI high layer protocols"},
    {0x02, "Recommendation X.244"},
    {0x03, "Reserved for system management convergence function"},
    {0x04, "IA5 characters"},
    {0x05, "X208 and X209 coded user information"},
    {0x07, "Recommendation V120 rate adaption"},
    {0x08, "Q931 I451 user network call control messages"},
};

}  // namespace korvex
