#!/usr/bin/env python3
"""Writes the HTML Help project of Orvanel's help, from the same source as
scripts/winhelp.py (docs/help/orvanel-help.txt) and through its parser:

    python3 scripts/htmlhelp.py SOURCE DIR [--name orvanel]

DIR receives one page per topic (ID.htm), the project NAME.hhp, the
contents NAME.hhc and the index NAME.hhk; `chmcmd NAME.hhp`, run in DIR,
then compiles NAME.chm. Every file is Shift_JIS (CP932), and the pages say
so; the project gives the Japanese language (LCID 0x411) and a Shift-JIS
default font, by which the viewer reads the titles, the contents and the
index on a system of any language. The first topic is the default page;
the contents list every topic in order, as orvanel.cnt does for WinHelp.
Standard library only.
"""

import argparse
import html
import os
import sys

import winhelp

PAGE = """<!DOCTYPE HTML PUBLIC "-//W3C//DTD HTML 4.01//EN">
<html lang="ja">
<head>
<meta http-equiv="Content-Type" content="text/html; charset=Shift_JIS">
<title>{title}</title>
<style type="text/css">
body {{ font-family: "ＭＳ Ｐゴシック", sans-serif; font-size: 10pt; }}
h1 {{ font-size: 14pt; color: #000080; }}
h2 {{ font-size: 11pt; }}
</style>
</head>
<body>
<h1>{title}</h1>
{body}
</body>
</html>
"""

SITEMAP = """<!DOCTYPE HTML PUBLIC "-//IETF//DTD HTML//EN">
<html>
<head>
<meta http-equiv="Content-Type" content="text/html; charset=Shift_JIS">
</head>
<body>
<ul>
{items}
</ul>
</body>
</html>
"""

ITEM = ('<li><object type="text/sitemap"><param name="Name" value="{name}">'
        '<param name="Local" value="{page}"></object>')

# The window "main": caption, contents, index, default and home page; a
# navigation pane of 220 pixels with the contents and index tabs, synced to
# the page shown (HHWIN_PROP_TRI_PANE | AUTO_SYNC | CHANGE_TITLE); the
# buttons hide, back, forward, home, options and print.
PROJECT = """[OPTIONS]
Compatibility=1.1 or later
Compiled file={name}.chm
Contents file={name}.hhc
Index file={name}.hhk
Default topic={home}
Default Window=main
Display compile progress=No
Language=0x411 Japanese
Title={title}
Default Font=ＭＳ Ｐゴシック,9,128

[WINDOWS]
main="{title}","{name}.hhc","{name}.hhk","{home}","{home}",,,,,0x2120,220,0x304E,,,,,,,,0

[FILES]
{files}
"""


def page_name(ident):
    return ident + ".htm"


def text_html(text, topics):
    """A block's text with its links as anchors to the topics' pages."""
    return "".join(html.escape(run[1], quote=False) if run[0] == "text" else
                   '<a href="%s">%s</a>' % (page_name(run[1]), html.escape(run[2], quote=False))
                   for run in winhelp.runs(text, topics))


def page(topic, topics):
    lines, in_list = [], False
    for kind, text in topic.blocks:
        if in_list and kind != "item":
            lines.append("</ul>")
            in_list = False
        body = text_html(text, topics)
        if kind == "item":
            if not in_list:
                lines.append("<ul>")
                in_list = True
            lines.append("<li>%s</li>" % body)
        else:
            lines.append(("<h2>%s</h2>" if kind == "head" else "<p>%s</p>") % body)
    if in_list:
        lines.append("</ul>")
    return PAGE.format(title=html.escape(topic.title, quote=False), body="\n".join(lines))


def sitemap(topics):
    return SITEMAP.format(items="\n".join(ITEM.format(name=html.escape(t.title), page=page_name(t.ident))
                                          for t in topics))


def project(title, topics, name):
    if any(c in title for c in '"\r\n'):
        raise ValueError("the help title cannot hold a double quote or a line break")
    return PROJECT.format(name=name, title=title, home=page_name(topics[0].ident),
                          files="\n".join(page_name(t.ident) for t in topics))


def crlf(text):
    return text.replace("\r\n", "\n").replace("\n", "\r\n").encode("cp932")


def write_project(title, topics, folder, name="orvanel"):
    """Writes the pages, the project, the contents and the index; returns
    the project's path."""
    os.makedirs(folder, exist_ok=True)
    files = {page_name(t.ident): page(t, topics) for t in topics}
    files[name + ".hhc"] = files[name + ".hhk"] = sitemap(topics)
    files[name + ".hhp"] = project(title, topics, name)
    for file_name, text in files.items():
        with open(os.path.join(folder, file_name), "wb") as f:
            f.write(crlf(text))
    return os.path.join(folder, name + ".hhp")


def main(argv=None):
    parser = argparse.ArgumentParser(description="Writes the HTML Help project of Orvanel's help.")
    parser.add_argument("source")
    parser.add_argument("folder")
    parser.add_argument("--name", default="orvanel")
    args = parser.parse_args(argv)
    with open(args.source, encoding="utf-8") as f:
        title, topics = winhelp.parse(f.read())
    write_project(title, topics, args.folder, args.name)
    return 0


if __name__ == "__main__":
    sys.exit(main())
