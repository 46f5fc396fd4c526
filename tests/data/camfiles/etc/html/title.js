// Ä«¸Þ¶ó page title
var title = "ZORA Network Camera";
var company = "Example Works";
