.pragma library

// The mixer's five columns, shared by a group's headings and its track rows
// so that they line up: state, track name, instrument, pan and volume. Each
// column starts at its preferred width; the width left over is shared by the
// name, instrument and volume columns in the ratio of their stretch factors.
var preferred = [45, 100, 100, 35, 80];
var stretch = [0, 5, 5, 0, 2];
var spacing = 10;

// The width of a column in a row of the given width.
function width(column, rowWidth) {
    let used = spacing * (preferred.length - 1);
    let shares = 0;
    for (let i = 0; i < preferred.length; ++i) {
        used += preferred[i];
        shares += stretch[i];
    }
    const spare = Math.max(0, rowWidth - used);
    return preferred[column] + spare * stretch[column] / shares;
}
