// English descriptions of socket error codes, for the request log lines.
#pragma once

// The description of nCode, or "" for a code without one.
const char* GetSocketErrorText(int nCode);
