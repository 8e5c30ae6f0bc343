.pragma library

// The maker's support-centre web page, opened from the Help menus.
var supportCenterUrl = "https://www.tarnwick.com/support";
