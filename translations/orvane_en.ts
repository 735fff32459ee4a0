<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="ja">
<context>
    <name>orvane::Language</name>
    <message>
        <source>ja</source>
        <comment>code of the interface&apos;s language</comment>
        <translation>en</translation>
    </message>
</context>
<context>
    <name>orvane::OkCancelButtons</name>
    <message>
        <source>キャンセル</source>
        <translation>Cancel</translation>
    </message>
</context>
<context>
    <name>orvane::frmAbout</name>
    <message>
        <source>オルヴァン</source>
        <translation>Orvane</translation>
    </message>
    <message>
        <source>サブモニタの内容を別画面から確認出来ます</source>
        <translation>Watch and operate another monitor from a window on this one</translation>
    </message>
    <message>
        <source>公開HP</source>
        <translation>Web site</translation>
    </message>
    <message>
        <source>作者へメール</source>
        <translation>E-mail</translation>
    </message>
    <message>
        <source>最新版のチェックはこちら。</source>
        <translation>Check here for the latest version.</translation>
    </message>
    <message>
        <source>ご意見ご感想をお聞かせ下さい。</source>
        <translation>Tell us what you think.</translation>
    </message>
    <message>
        <source>この画面を閉じます。</source>
        <translation>Closes this window.</translation>
    </message>
    <message>
        <source>%1 - バージョン情報</source>
        <translation>About %1</translation>
    </message>
</context>
<context>
    <name>orvane::frmDisplaySetting</name>
    <message>
        <source>オルヴァン - 解像度変更</source>
        <translation>Orvane - Resolution</translation>
    </message>
    <message>
        <source>サイズ</source>
        <translation>Size</translation>
    </message>
    <message>
        <source>ビット深度 / 周波数</source>
        <translation>Colour depth / refresh rate</translation>
    </message>
    <message>
        <source>※解像度の検出時に変更テストは行っておりますが、一部解像度は現在のディスプレイに対応していない可能性があります。</source>
        <translation>* Each resolution was tested when it was found, yet some may still not suit the current display.</translation>
    </message>
    <message>
        <source>現在の設定:%1</source>
        <translation>Current: %1</translation>
    </message>
    <message>
        <source>サイズとビット深度 / 周波数を選んで下さい</source>
        <translation>Choose a size and a colour depth / refresh rate</translation>
    </message>
    <message>
        <source>オルヴァン</source>
        <translation>Orvane</translation>
    </message>
    <message>
        <source>解像度の変更に失敗しました。<byte value="xd"/>
元の解像度または指定解像度に近い解像度に復元しました。</source>
        <translation>The resolution could not be changed.<byte value="xd"/>
The previous resolution, or one close to the chosen one, has been restored.</translation>
    </message>
    <message>
        <source>この解像度のままにしますか？<byte value="xd"/>
%1 秒後に元の解像度に戻ります。</source>
        <translation>Keep this resolution?<byte value="xd"/>
The previous one returns in %1 seconds.</translation>
    </message>
    <message>
        <source>このままにする</source>
        <translation>Keep</translation>
    </message>
    <message>
        <source>元に戻す</source>
        <translation>Revert</translation>
    </message>
    <message>
        <source>設定を保存しています…</source>
        <translation>Saving the setting…</translation>
    </message>
    <message>
        <source>解像度を元に戻せませんでした。<byte value="xd"/>
画面の設定から元の解像度に戻して下さい。</source>
        <translation>The previous resolution could not be restored.<byte value="xd"/>
Please set it again in the system&apos;s display settings.</translation>
    </message>
</context>
<context>
    <name>orvane::frmMain</name>
    <message>
        <source>オルヴァン</source>
        <translation>Orvane</translation>
    </message>
    <message>
        <source>モニタ選択</source>
        <translation>Watched monitor</translation>
    </message>
    <message>
        <source>モニタの数、位置、サイズを更新</source>
        <translation>Read the monitors, their positions and sizes again</translation>
    </message>
    <message>
        <source>モニタの解像度を変更</source>
        <translation>Change the monitor&apos;s resolution</translation>
    </message>
    <message>
        <source>マウス追尾</source>
        <translation>Follow the mouse pointer</translation>
    </message>
    <message>
        <source>フル画面</source>
        <translation>Full screen</translation>
    </message>
    <message>
        <source>マウスカーソル</source>
        <translation>Pointer marker</translation>
    </message>
    <message>
        <source>描画間隔&#x3000;0.01秒～60秒まで&#x3000;入力後Enterキーで確定</source>
        <translation>Refresh interval, 0.01 to 60 seconds: type a value and press Enter</translation>
    </message>
    <message>
        <source>画面をダブルクリックした時の動作</source>
        <translation>What a double click in the view does</translation>
    </message>
    <message>
        <source>表示モニタ&#x3000;位置</source>
        <translation>Watched monitor: position</translation>
    </message>
    <message>
        <source>表示モニタ&#x3000;サイズ/ビットレート</source>
        <translation>Watched monitor: size / bits per pixel</translation>
    </message>
    <message>
        <source>マウスカーソル&#x3000;総合位置</source>
        <translation>Mouse pointer: position on the desktop</translation>
    </message>
    <message>
        <source>マウスカーソル&#x3000;表示モニタ内位置</source>
        <translation>Mouse pointer: position on the watched monitor</translation>
    </message>
    <message>
        <source>ファイル</source>
        <translation>&amp;File</translation>
    </message>
    <message>
        <source>終了(&amp;X)</source>
        <translation>E&amp;xit</translation>
    </message>
    <message>
        <source>表示</source>
        <translation>&amp;View</translation>
    </message>
    <message>
        <source>タイトルバー(&amp;I)</source>
        <translation>T&amp;itle Bar</translation>
    </message>
    <message>
        <source>メニューバー(&amp;M)</source>
        <translation>&amp;Menu Bar</translation>
    </message>
    <message>
        <source>ツールバー(&amp;T)</source>
        <translation>&amp;Tool Bar</translation>
    </message>
    <message>
        <source>スクロールバー(&amp;R)</source>
        <translation>Sc&amp;roll Bars</translation>
    </message>
    <message>
        <source>ステータスバー(&amp;S)</source>
        <translation>&amp;Status Bar</translation>
    </message>
    <message>
        <source>フレームを非表示(&amp;E)</source>
        <translation>Hid&amp;e All Bars</translation>
    </message>
    <message>
        <source>フレームを表示(&amp;V)</source>
        <translation>Show &amp;All Bars</translation>
    </message>
    <message>
        <source>フル画面(&amp;F)</source>
        <translation>&amp;Full Screen</translation>
    </message>
    <message>
        <source>表示倍率(&amp;Z)</source>
        <translation>&amp;Zoom</translation>
    </message>
    <message>
        <source>直接設定(&amp;I)</source>
        <translation>&amp;Other...</translation>
    </message>
    <message>
        <source>カーソル(&amp;C)</source>
        <translation>&amp;Cursor</translation>
    </message>
    <message>
        <source>ドット &amp;1px</source>
        <translation>Dot &amp;1px</translation>
    </message>
    <message>
        <source>ドット &amp;4px</source>
        <translation>Dot &amp;4px</translation>
    </message>
    <message>
        <source>ドット &amp;9px</source>
        <translation>Dot &amp;9px</translation>
    </message>
    <message>
        <source>無し(&amp;N)</source>
        <translation>&amp;None</translation>
    </message>
    <message>
        <source>ツール</source>
        <translation>&amp;Tools</translation>
    </message>
    <message>
        <source>モニタ選択(&amp;M)</source>
        <translation>&amp;Monitor</translation>
    </message>
    <message>
        <source>モニタ再取得(&amp;R)</source>
        <translation>&amp;Read the Monitors Again</translation>
    </message>
    <message>
        <source>解像度変更(&amp;S)</source>
        <translation>Change &amp;Resolution...</translation>
    </message>
    <message>
        <source>マウス追尾(&amp;P)</source>
        <translation>Follow the &amp;Pointer</translation>
    </message>
    <message>
        <source>描画間隔(&amp;T)</source>
        <translation>Refresh &amp;Interval</translation>
    </message>
    <message>
        <source>(&amp;0) 1秒</source>
        <translation>&amp;0  1 second</translation>
    </message>
    <message>
        <source>(&amp;1) 0.5秒</source>
        <translation>&amp;1  0.5 seconds</translation>
    </message>
    <message>
        <source>(&amp;2) 0.1秒</source>
        <translation>&amp;2  0.1 seconds</translation>
    </message>
    <message>
        <source>(&amp;3) 0.05秒</source>
        <translation>&amp;3  0.05 seconds</translation>
    </message>
    <message>
        <source>(&amp;4) 0.01秒</source>
        <translation>&amp;4  0.01 seconds</translation>
    </message>
    <message>
        <source>(&amp;9)直接指定</source>
        <translation>&amp;9  Other...</translation>
    </message>
    <message>
        <source>設定(&amp;S)</source>
        <translation>&amp;Settings...</translation>
    </message>
    <message>
        <source>ヘルプ</source>
        <translation>&amp;Help</translation>
    </message>
    <message>
        <source>バージョン情報(&amp;A)</source>
        <translation>&amp;About Orvane</translation>
    </message>
    <message>
        <source>この位置へ移動(&amp;P)</source>
        <translation>Move the &amp;Pointer Here</translation>
    </message>
    <message>
        <source>アクション(&amp;A)</source>
        <translation>&amp;Action</translation>
    </message>
    <message>
        <source>左ボタン(&amp;L)</source>
        <translation>&amp;Left Button</translation>
    </message>
    <message>
        <source>中ボタン(&amp;M)</source>
        <translation>&amp;Middle Button</translation>
    </message>
    <message>
        <source>右ボタン(&amp;R)</source>
        <translation>&amp;Right Button</translation>
    </message>
    <message>
        <source>クリック(&amp;C)</source>
        <translation>&amp;Click</translation>
    </message>
    <message>
        <source>ダブルクリック(&amp;C)</source>
        <translation>&amp;Double Click</translation>
    </message>
    <message>
        <source>表示(&amp;V)</source>
        <translation>&amp;View</translation>
    </message>
    <message>
        <source>カーソル</source>
        <translation>Cursor</translation>
    </message>
    <message>
        <source>ドット(1px)</source>
        <translation>Dot (1px)</translation>
    </message>
    <message>
        <source>ドット(4px)</source>
        <translation>Dot (4px)</translation>
    </message>
    <message>
        <source>ドット(9px)</source>
        <translation>Dot (9px)</translation>
    </message>
    <message>
        <source>無し</source>
        <translation>None</translation>
    </message>
    <message>
        <source>1秒</source>
        <translation>1 second</translation>
    </message>
    <message>
        <source>0.5秒</source>
        <translation>0.5 seconds</translation>
    </message>
    <message>
        <source>0.1秒</source>
        <translation>0.1 seconds</translation>
    </message>
    <message>
        <source>0.05秒</source>
        <translation>0.05 seconds</translation>
    </message>
    <message>
        <source>0.01秒</source>
        <translation>0.01 seconds</translation>
    </message>
    <message>
        <source>何もしない</source>
        <translation>Nothing</translation>
    </message>
    <message>
        <source>そこへ移動</source>
        <translation>Move there</translation>
    </message>
    <message>
        <source>クリック</source>
        <translation>Click</translation>
    </message>
    <message>
        <source>ダブルクリック</source>
        <translation>Double click</translation>
    </message>
    <message>
        <source>左クリック</source>
        <translation>Left click</translation>
    </message>
    <message>
        <source>左ダブルクリック</source>
        <translation>Left double click</translation>
    </message>
    <message>
        <source>中クリック</source>
        <translation>Middle click</translation>
    </message>
    <message>
        <source>中ダブルクリック</source>
        <translation>Middle double click</translation>
    </message>
    <message>
        <source>右クリック</source>
        <translation>Right click</translation>
    </message>
    <message>
        <source>右ダブルクリック</source>
        <translation>Right double click</translation>
    </message>
    <message>
        <source>この画面ではクリックを送れません（X サーバーに XTEST 拡張がありません）</source>
        <translation>Clicks cannot be sent on this screen (the X server lacks the XTEST extension)</translation>
    </message>
    <message numerus="yes">
        <source>%1秒</source>
        <comment>seconds</comment>
        <translation>
            <numerusform>%1 second</numerusform>
            <numerusform>%1 seconds</numerusform>
        </translation>
    </message>
    <message>
        <source>0.01～60までの値を入力して下さい</source>
        <translation>Enter a value from 0.01 to 60 (seconds):</translation>
    </message>
    <message>
        <source>インターバル入力</source>
        <translation>Refresh Interval</translation>
    </message>
    <message>
        <source>この環境ではマウスポインターの位置を読み取れないため使えません</source>
        <translation>Not available here: this session does not tell where the mouse pointer is</translation>
    </message>
    <message>
        <source>10～300までの値を入力して下さい</source>
        <translation>Enter a value from 10 to 300 (%):</translation>
    </message>
    <message>
        <source>倍率入力</source>
        <translation>Zoom</translation>
    </message>
    <message>
        <source>画面の取り込みが止まっています。再開を待っています…</source>
        <translation>Screen capture has stopped; waiting for it to resume…</translation>
    </message>
    <message>
        <source>画面の取り込み</source>
        <translation>Screen capture</translation>
    </message>
</context>
<context>
    <name>orvane::frmSetting</name>
    <message>
        <source>解像度を一時的に変更します。<byte value="xd"/>
オルヴァン終了時に元に戻ります。</source>
        <translation>Changes the resolution for now.<byte value="xd"/>
It returns when Orvane ends.</translation>
    </message>
    <message>
        <source>解像度を一時的に変更します。<byte value="xd"/>
システムの再起動時に元に戻ります。</source>
        <translation>Changes the resolution for now.<byte value="xd"/>
It returns when the system restarts.</translation>
    </message>
    <message>
        <source>解像度を変更し、設定を保存します。<byte value="xd"/>
システムが再起動しても設定は継続します。</source>
        <translation>Changes the resolution and saves it.<byte value="xd"/>
It stays after the system restarts.</translation>
    </message>
    <message>
        <source>オルヴァン - 設定</source>
        <translation>Orvane - Settings</translation>
    </message>
    <message>
        <source>描画方法</source>
        <translation>Drawing</translation>
    </message>
    <message>
        <source>再描画処理を行わない</source>
        <translation>Do without the redraw copy</translation>
    </message>
    <message>
        <source>※チェックを入れると、描画速度が多少改善されますが、環境により画面がちらついたり、正しく表示されない事があります。</source>
        <translation>* Drawing gets a little faster, but on some systems the picture may flicker or show wrongly.</translation>
    </message>
    <message>
        <source>拡大縮小時の描画方法を簡素にする</source>
        <translation>Simple drawing when zoomed</translation>
    </message>
    <message>
        <source>※チェックを入れると、描画速度が多少改善されますが、高品質なイメージを得られなくなります。</source>
        <translation>* Drawing gets a little faster, but the zoomed picture loses quality.</translation>
    </message>
    <message>
        <source>モニタ解像度変更方法</source>
        <translation>How the resolution is changed</translation>
    </message>
    <message>
        <source>モニタの解像度等を変更する方法を選択します。</source>
        <translation>Choose how the monitor&apos;s mode is changed.</translation>
    </message>
    <message>
        <source>一時変更１</source>
        <translation>Until exit</translation>
    </message>
    <message>
        <source>一時変更２</source>
        <translation>Until restart</translation>
    </message>
    <message>
        <source>設定変更</source>
        <translation>Permanent</translation>
    </message>
    <message>
        <source>表示項目</source>
        <translation>Bars shown</translation>
    </message>
    <message>
        <source>タイトルバー</source>
        <translation>Title bar</translation>
    </message>
    <message>
        <source>メニューバー</source>
        <translation>Menu bar</translation>
    </message>
    <message>
        <source>ツールバー</source>
        <translation>Tool bar</translation>
    </message>
    <message>
        <source>スクロールバー</source>
        <translation>Scroll bars</translation>
    </message>
    <message>
        <source>ステータスバー</source>
        <translation>Status bar</translation>
    </message>
</context>
</TS>
