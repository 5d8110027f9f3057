# Run by the build in its folder: the page with its script and the stripped
# module, as hex digits that the script turns back into bytes.
file(READ bmi.stripped module HEX)
file(READ ${source}/web/bmi.js script)
file(READ ${source}/LICENSE licence)
configure_file(${source}/web/bmi.html bmi.html @ONLY)
