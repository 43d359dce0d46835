// Order text placed into the toast's markup: every byte shown as it is,
// none read as a tag or an entity.
#pragma once

#include <string>

// CP949 text as toast markup: "<" becomes "<<" and "&" becomes "&amp;"
// followed by an empty tag, so that the markup engine (which replaces its
// entities one after the other) cannot read a second entity out of the
// text, as "&amp;lt;" would become "<". Neither byte is ever a CP949 trail
// byte, so a Hangul syllable is never split.
std::string EscapeToastMarkup(const std::string& strText);
