.pragma library

// Layout of the score view's pages: which list entries a spread shows, the
// blank margins trimmed off its sides, and the scroll position that keeps the
// centre of the page area in place when the zoom changes.

// Space between the two pages of a spread.
var spreadSpacing = 5;

// Index of the left (or only) page for the current index c. In double-page
// mode the spreads are: blank and 0, then 1 and 2, 3 and 4, and so on.
function leftIndex(c, twoUp) {
    if (!twoUp)
        return c;
    return c % 2 === 0 ? c - 1 : c;
}

// Index of the right page of the spread holding c.
function rightIndex(c) {
    return c + (c % 2);
}

// Width of the blank part at the outer side of the content: page width p,
// image ratio r (painted width over the image's width).
function trimWidth(p, r, twoUp) {
    return twoUp ? (1 - r) * p : (1 - r) * p / 2;
}

// Width of the content once the outer blank parts are trimmed.
function trimmedWidth(p, r, twoUp) {
    return twoUp ? p * 2 + spreadSpacing - 2 * (1 - r) * p : p - (1 - r) * p;
}

// Offset that centres content of the given width in the area.
function centreOffset(areaWidth, contentWidth) {
    return Math.max(0, (areaWidth - contentWidth) / 2);
}

// The scroll position after a zoom that changed the content's width from
// oldWidth to newWidth, keeping the point at the area's centre there. Content
// narrower than the area sits centred in it, unscrolled.
function zoomedContentX(contentX, areaWidth, oldWidth, newWidth) {
    if (newWidth <= areaWidth)
        return 0;
    const centre = (contentX + areaWidth / 2 - centreOffset(areaWidth, oldWidth)) / Math.max(1, oldWidth);
    const x = centre * newWidth - areaWidth / 2;
    return Math.min(Math.max(x, 0), newWidth - areaWidth);
}
