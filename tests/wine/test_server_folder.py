"""Starts that cannot work are told, not tried: a launcher without the server's folder beside it,
and a folder whose name java.exe, an ANSI program, cannot receive."""
from winesetup.install import put_launcher, put_runtime, put_support_files
from winesetup.product import text_no_server_folder
from winesetup.records import start_problems, wait_starts
from winesetup.scenario import JRE6, RUNTIME_FILES


def test_launcher_alone_in_a_folder(sc):
    alone = r"C:\Users\me\Downloads"
    put_launcher(sc.pfx, alone, server=False)
    put_support_files(sc.pfx)
    put_runtime(sc.pfx, "1.6.0_45", JRE6, "jre6")
    sc.launch(alone)
    sc.refusal(text_no_server_folder(alone))
    assert sc.tree(JRE6) == RUNTIME_FILES, "support files copied for a server that cannot start"


def test_folder_the_code_page_cannot_write(sc):
    """A Western ANSI code page and a Cyrillic folder: the server gets the folder's short form,
    and every class-path entry can be found through the ANSI file API."""
    app = r"C:\Apps\Сервер СМС"
    put_launcher(sc.pfx, app)
    put_support_files(sc.pfx)
    put_runtime(sc.pfx, "1.6.0_45", JRE6, "jre6")
    # Wine takes its ANSI code page from the locale; this one gives 1252.
    sc.launch(app, env=dict(LC_ALL="C.UTF-8"))
    found = wait_starts(sc.pfx, "jre6", 12)
    assert found, "server not started"
    server, short = found[0], found[0]["cwd"]
    assert server["acp"] == "1252"
    assert "~" in short and short.isascii(), f"working directory {short}"
    assert start_problems(found, short, JRE6) == []
    assert server["classpath_ansi_found"] == "10", server["classpath_ansi_missing"]
    assert server["cwd_ansi"] == short
