# The DDE client conversation, the browser query and the stand-in browser.
