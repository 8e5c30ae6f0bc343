import QtQuick
// Qualified: the module's own listing names VandThemeValues a singleton.
import com.tarnwick.vand_ui as Vand

// Colours and fonts of every view. Each view declares its own instance:
//     VandTheme { id: theme }
// The values are evaluated once, in VandThemeValues; an instance only reads them.
// Small controls made by the hundred read VandThemeValues directly: an
// instance costs a binding per value.
Item {
    visible: false

    readonly property color default_text_color: Vand.VandThemeValues.default_text_color
    readonly property color dim_text_color: Vand.VandThemeValues.dim_text_color
    readonly property color default_text_header_color: Vand.VandThemeValues.default_text_header_color
    readonly property color light_text_color: Vand.VandThemeValues.light_text_color
    readonly property color tab_selected_text_color: Vand.VandThemeValues.tab_selected_text_color

    readonly property font default_font: Vand.VandThemeValues.default_font
    readonly property font small_font: Vand.VandThemeValues.small_font
    readonly property font heavy_label: Vand.VandThemeValues.heavy_label

    readonly property color default_bg_color: Vand.VandThemeValues.default_bg_color
    readonly property color default_bg_color_popup: Vand.VandThemeValues.default_bg_color_popup
    readonly property color lighter_bg_color_popup: Vand.VandThemeValues.lighter_bg_color_popup
    readonly property color default_bg_unselected_color: Vand.VandThemeValues.default_bg_unselected_color
    readonly property color default_bg_hover_color: Vand.VandThemeValues.default_bg_hover_color
    readonly property color light_background_color: Vand.VandThemeValues.light_background_color
    readonly property color dark_background_color: Vand.VandThemeValues.dark_background_color
    readonly property color light_border_color: Vand.VandThemeValues.light_border_color
    readonly property color default_selected_color: Vand.VandThemeValues.default_selected_color
    readonly property color default_selected_color_intense: Vand.VandThemeValues.default_selected_color_intense
    readonly property color bevel_dark_color: Vand.VandThemeValues.bevel_dark_color
    readonly property color bevel_light_color: Vand.VandThemeValues.bevel_light_color
    readonly property int bevel_width: Vand.VandThemeValues.bevel_width

    readonly property color on_indicator_color: "lawngreen"
    readonly property color off_indicator_color: "dimgray"
}
