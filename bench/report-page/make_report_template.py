#!/usr/bin/python3
"""Writes the report page's template (report.htm) from the comparison's page skeleton.

The skeleton is the page that every engine of the comparison renders, with markers where the
repeated parts and the values go. This renders it the way Word saves a template of ours: each
command is a Word comment, anchored in the paragraph it governs, and the comment texts follow the
document in Word's comment list.

  - OPEN of the data source's root artifact, completed from the request's locator;
  - a MASTER over the table (rows repeated) and a REPEAT over the artifacts in the first cell,
    leaving out the rejected ones, sorted by priority and then by identifier;
  - a DISPLAY in place of each value, showing Word's placeholder text until generation;
  - in the last cell, a MASTER and REPEAT over the artifact's related items (in their order),
    one list paragraph per item.

Usage: make_report_template.py BENCH_FOLDER OUTPUT   (BENCH_FOLDER holds gen/make_templates.py)
"""
import os
import re
import runpy
import sys
import types

DOMAIN = "Artifacts"
ROW = f"R:a:{DOMAIN}:artifact:d:{DOMAIN}:Database:N=artifact:!=A:{DOMAIN}:artifact::status:SRejected::A:{DOMAIN}:artifact::priority,A:{DOMAIN}:artifact::ident"
REL = f"R:r:{DOMAIN}:related:a:{DOMAIN}:artifact:N=related:::A:{DOMAIN}:related::seq"
COMMENT_DATE = "20261206T0930"


def token(kind, text):
    return f"@@{kind}|{text}@@"


def anchor(kind, number):
    n = number
    return (f"<span class=MsoCommentReference><span style='font-size:8.0pt;line-height:107%'>"
            f"<span style='mso-comment-reference:{kind}_{n};mso-comment-date:{COMMENT_DATE}'>"
            f"<span style='mso-special-character:comment'>&nbsp;</span>"
            f"<![if !supportAnnotations]><a class=msocomanchor id=\"_anchor_{n}\"\n"
            f"onmouseover=\"msoCommentShow('_anchor_{n}','_com_{n}')\"\n"
            f"onmouseout=\"msoCommentHide('_com_{n}')\" href=\"#_msocom_{n}\" language=JavaScript\n"
            f"name=\"_msoanchor_{n}\">[{kind}{n}]</a><![endif]>"
            f"<span style='mso-special-character:comment'>&nbsp;</span></span></span></span>")


def comment(kind, number, text):
    n = number
    return (f"<div style='mso-element:comment'><![if !supportAnnotations]>\n\n"
            f"<div id=\"_com_{n}\" class=msocomtxt language=JavaScript\n"
            f"onmouseover=\"msoCommentShow('_anchor_{n}','_com_{n}')\"\n"
            f"onmouseout=\"msoCommentHide('_com_{n}')\"><![endif]>"
            f"<span style='mso-comment-author:\"Template Author\"'><![if !supportAnnotations]><a\n"
            f"name=\"_msocom_{n}\"></a><![endif]></span>\n\n"
            f"<p class=MsoCommentText><span class=MsoCommentReference><span style='font-size:8.0pt'>"
            f"<a href=\"#_msoanchor_{n}\" class=msocomoff>[{kind}{n}]</a></span></span>"
            f"{text}<o:p></o:p></p>\n\n"
            f"<![if !supportAnnotations]></div>\n\n<![endif]></div>\n\n")


def marker_paragraph(*tokens):
    return "<p class=MsoNormal>" + "".join(tokens) + "<o:p></o:p></p>"


def main(argv):
    if len(argv) != 3:
        print(__doc__, file=sys.stderr)
        return 2
    # The comparison's own template maker, read for its skeleton and field names.
    templates = types.SimpleNamespace(
        **runpy.run_path(os.path.join(argv[1], "gen", "make_templates.py")))

    def field(name):
        shown = token("DISPLAY", f"F:a:{DOMAIN}:artifact::{name}:SAA:") + f"&lt;{name}&gt;"
        return (token("REPEAT", ROW) + shown) if name == templates.FIELDS[0] else shown

    def related_field(name):
        return token("DISPLAY", f"F:r:{DOMAIN}:related::{name}:SAA:") + f"&lt;{name}&gt;"

    text = templates._dialect(
        "", "",
        marker_paragraph(token("MASTER", "M:related"), token("REPEAT", REL)),
        marker_paragraph(token("ENDREP", REL), token("ENDMAST", "M:related"),
                         token("ENDREP", ROW)),
        field, related_field)

    # Word writes no XML declaration; the page keeps the skeleton's UTF-8.
    text = re.sub(r"^<\?xml[^>]*\?>\s*", "", text)
    table = '<table class="MsoTableGrid"'
    assert text.count(table) == 1 and text.count("</table>") == 1
    text = text.replace(table, marker_paragraph(token("MASTER", "M:artifacts:TABLEINFO:A:1")) +
                        "\n\n" + table)
    text = text.replace("</table>", "</table>\n\n" + marker_paragraph(
        token("ENDMAST", "M:artifacts:TABLEINFO:A:1")))
    heading = '<h1><span lang="EN-US">Requirements report</span></h1>'
    assert text.count(heading) == 1
    text = text.replace(heading, marker_paragraph(token("OPEN", f"C:d:{DOMAIN}:Database:Name=")) +
                        "\n\n" + heading)

    comments = []

    def number(match):
        kind, command = match.group(1), match.group(2)
        comments.append(comment(kind, len(comments) + 1, command))
        return anchor(kind, len(comments))

    text = re.sub(r"@@([A-Z]+)\|([^@]*)@@", number, text)
    closing = "</div>\n\n</body>"
    assert text.count(closing) == 1
    text = text.replace(closing, "</div>\n\n<div style='mso-element:comment-list'>"
                        "<![if !supportAnnotations]>\n\n<hr class=msocomoff align=left size=1 "
                        "width=\"33%\">\n\n<![endif]>\n\n" + "".join(comments) +
                        "</div>\n\n</body>")
    with open(argv[2], "w", encoding="utf-8", newline="\n") as out:
        out.write(text)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
