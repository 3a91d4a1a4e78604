# gen_ps_job.awk -v bytes=N: writes a DSC PostScript job of about N bytes in
# the shape pstops gives the ticket filter: standard feature blocks in the
# setup and in every page's setup, pages of text and of hex image data.
function block(key, choice, code) {
  printf "[{\n%%%%BeginFeature: *%s %s\n%s\n%%%%EndFeature\n} stopped cleartomark\n", key, choice, code
}
BEGIN {
  print "%!PS-Adobe-3.0"
  print "%%Title: (bench.ps)"
  print "%RBINumCopies: 1"
  print "%%Pages: (atend)"
  print "%%EndComments"
  print "%%BeginProlog"
  print "/Times-Roman findfont 10 scalefont setfont"
  print "%%EndProlog"
  print "%%BeginSetup"
  block("PageSize", "A4", "<</PageSize [595 842] /ImagingBBox null>> setpagedevice")
  block("Duplex", "DuplexNoTumble", "<</Duplex true /Tumble false>> setpagedevice")
  block("MediaType", "Plain", "<</MediaType (Plain)>> setpagedevice")
  block("QZStaple", "TopLeft", "userdict /QZStaple (TopLeft) put")
  print "%%EndSetup"
  hex = ""
  for (i = 0; i < 36; i++) hex = hex sprintf("%02X", (i * 37) % 256)
  hexline = hex hex hex  # 216 bytes of image data per line
  written = 0
  page = 0
  while (written < bytes) {
    page++
    out = sprintf("%%%%Page: %d %d\n%%%%BeginPageSetup\n", page, page)
    printf "%s", out
    block("Duplex", "DuplexNoTumble", "<</Duplex true>> setpagedevice")
    print "%%EndPageSetup"
    for (l = 0; l < 120; l++) {
      line = sprintf("72 %d moveto (Line %d of page %d: the quick brown fox jumps over the dog) show", 800 - l * 6, l, page)
      print line
      written += length(line) + 1
    }
    print "gsave 72 72 translate 216 216 scale 72 72 8 [72 0 0 72 0 0] {currentfile 216 string readhexstring pop} image"
    for (l = 0; l < 48; l++) {
      print hexline
      written += length(hexline) + 1
    }
    print "grestore showpage"
    written += length(out) + 200
  }
  print "%%Trailer"
  printf "%%%%Pages: %d\n", page
  print "%%EOF"
}
