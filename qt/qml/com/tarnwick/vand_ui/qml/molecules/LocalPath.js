.pragma library

// The local path of a "file:" URL (a url or its text), as QUrl::toLocalFile
// gives it: "file://" dropped, percent escapes decoded, a host kept as
// "//host", and no slash before a drive letter ("file:///C:/My%20Shows" is
// "C:/My Shows"). Text that is not a "file:" URL comes back unchanged.
function toLocalPath(url) {
    let text = String(url);
    if (/^file:\/\/\//i.test(text))
        text = text.substring(7);
    else if (/^file:\/\//i.test(text))
        text = "//" + text.substring(7);
    else if (/^file:/i.test(text))
        text = text.substring(5);
    else
        return text;
    try {
        text = decodeURIComponent(text);
    } catch (error) {
        // A malformed escape stays as it was written.
    }
    if (/^\/[A-Za-z]:(\/|$)/.test(text))
        text = text.substring(1);
    return text;
}
