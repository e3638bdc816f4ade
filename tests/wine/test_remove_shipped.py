"""PrepareJava.exe /removeshipped on the real file API: each file hashed and deleted through the
handle that opened it, a read-only one too; an edited one stays and is named."""
import hashlib
import os
import shutil


from winesetup.install import folder, tree

APP = r"C:\Apps\SMS"


def test_unchanged_files_go_and_an_edited_one_stays(sc):
    app = folder(sc.pfx, APP)
    shutil.copy(sc.pfx.build / "PrepareJava.exe", folder(sc.pfx, r"C:\helper"))
    shipped = {"server.jar": b"jar\n", r"conf\server.properties": b"port=1\n", "ro.txt": b"ro\n"}
    for name, data in shipped.items():
        folder(sc.pfx, rf"{APP}\{name}".rsplit("\\", 1)[0])
        sc.pfx.unix(rf"{APP}\{name}").write_bytes(data)
    os.chmod(app / "ro.txt", 0o444)  # Wine's read-only attribute
    sc.pfx.unix(rf"{APP}\conf\server.properties").write_bytes(b"port=2\n")
    lines = [f"{hashlib.sha256(data).hexdigest()}\t{name}" for name, data in shipped.items()]
    lines.append(f"{hashlib.sha256(b'gone').hexdigest()}\tmissing.txt")
    sc.pfx.unix(r"C:\helper\list.txt").write_text("\n".join(lines) + "\n", encoding="utf-8")
    out = sc.pfx.unix(r"C:\helper\out.txt")
    with open(out, "wb") as stdout:
        args = [r"C:\helper\PrepareJava.exe", "/removeshipped", APP, r"C:\helper\list.txt"]
        assert sc.pfx.popen(*args, stdout=stdout).wait(60) == 0
    report = out.read_bytes().decode("utf-16-le")
    assert report == rf"kept, changed: {APP}\conf\server.properties" + "\r\n"
    assert tree(sc.pfx, APP) == ["conf/server.properties"]
