#pragma once

#include <optional>
#include <string>
#include <string_view>

// File URIs and URI references for playlist entries, through uriparser. Paths are the
// bytes of this system's file names (UTF-8); in a URI every byte other than the unreserved
// ones (letters, digits, "-", ".", "_", "~") and the "/" between segments is
// percent-encoded, so "#", "%", "?", ";", "&", "=", quotes, blanks and every non-ASCII byte
// travel safely through any player's URI parser.
namespace uri {

// "file:///home/anna/a%20b.mp3" for "/home/anna/a b.mp3"; empty when the path is not
// absolute or holds a NUL.
std::string FileUriFromPath(std::string_view absolutePath);

// The same encoding for a relative path ("../Music/a%20b.mp3"), a URI reference that
// resolves against the playlist's own URI; empty when the path is absolute, empty or holds
// a NUL. A first segment with a ":" in it is encoded and so never reads as a scheme.
std::string UriReferenceFromRelativePath(std::string_view relativePath);

// The absolute path that a file URI names: "file:///x", "file://localhost/x" and "file:/x",
// with the scheme and host in any letter case, each segment percent-decoded. A query or a
// fragment is not part of the path and is left out. Nothing for another scheme, another
// host, a relative reference, a path that does not start at the root ("file:a.mp3"), text
// that is no URI, or a segment that decodes to a "/" or a NUL (no file name can hold those).
std::optional<std::string> PathFromFileUri(std::string_view text);

// Resolves a URI reference against an absolute base URI as RFC 3986 section 5.2 says
// ("../b.mp3" against "file:///m/lists/x.xspf" gives "file:///m/b.mp3"). Nothing when
// either does not parse or the base is not absolute.
std::optional<std::string> ResolveReference(std::string_view reference, std::string_view base);

// The scheme of a URI in lower case ("http"); empty for a relative reference or text that
// is no URI. A Windows drive such as "C:" counts as no scheme, since it is a path. By the
// syntax alone a file name such as "Intro: live.mp3" has the scheme "intro", so a reader
// should take only the schemes it knows as URIs.
std::string SchemeOf(std::string_view text);

// Percent-decodes text as a whole (no segments); nothing when the result would hold a NUL.
std::optional<std::string> PercentDecode(std::string_view text);

}  // namespace uri
