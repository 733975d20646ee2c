#!/usr/bin/env python3
"""Makes the manual's HTML page from its Markdown, at build time.

    make_html.py CMARK_GFM MARKDOWN OUTPUT.html

cmark-gfm turns the Markdown into HTML; every picture the text shows (a PNG file named relative
to the Markdown file) goes into the page itself, so that the page is one file that shows its
pictures wherever it is copied. The page's title is the text's first heading. The same sources
always give the same bytes.
"""
import base64
import html
import os
import re
import subprocess
import sys

cmark, source, output = sys.argv[1:4]
body = subprocess.run([cmark, "--to", "html", source], check=True,
                      stdout=subprocess.PIPE).stdout.decode("utf-8")
folder = os.path.dirname(os.path.abspath(source))


def picture(match):
    with open(os.path.join(folder, html.unescape(match.group(1))), "rb") as png:
        return 'src="data:image/png;base64,' + base64.b64encode(png.read()).decode("ascii") + '"'


body = re.sub(r'<img src="([^":]+\.png)"', lambda m: "<img " + picture(m), body)
left = re.findall(r'<img src="(?!data:)([^"]*)"', body)
if left:
    sys.exit(f"make_html.py: only PNG files beside the text can go into the page: {left}")
heading = re.search(r"<h1>(.*?)</h1>", body)
if not heading:
    sys.exit("make_html.py: the text has no first-level heading to take the page's title from")
title = re.sub(r"<[^>]*>", "", heading.group(1))

page = f"""<!DOCTYPE html>
<html lang="pl">
<head>
<meta charset="utf-8">
<meta name="viewport" content="width=device-width, initial-scale=1">
<title>{title}</title>
<style>
body {{ font-family: sans-serif; line-height: 1.45; max-width: 52em; margin: 1em auto; padding: 0 1em; }}
img {{ max-width: 100%; border: 1px solid #808080; }}
code {{ background: #f0f0f0; padding: 0 0.2em; }}
</style>
</head>
<body>
{body}</body>
</html>
"""
with open(output, "w", encoding="utf-8", newline="\n") as out:
    out.write(page)
