<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_GB" sourcelanguage="ja_JP">
<context>
    <name>Quillmere</name>
    <message>
        <source>保護付きイベントデータの保存(&amp;G)...</source>
        <translation>Save Protected Recording(&amp;G)...</translation>
    </message>
    <message>
        <source>保護をすると後でｲﾍﾞﾝﾄに追記できなくなります。&#xd;また %s にｱｯﾌﾟﾛｰﾄﾞする事もできません。&#xd;よろしいですか?</source>
        <translation>A protected recording can no longer be appended to.&#xd;It cannot be uploaded to %s either.&#xd;Continue?</translation>
    </message>
    <message>
        <source>このｲﾍﾞﾝﾄﾌｧｲﾙはすでに保護されているため保存できません!</source>
        <translation>This recording is already protected and cannot be saved!</translation>
    </message>
    <message>
        <source>ｲﾍﾞﾝﾄﾌｧｲﾙの保護状態の確認に失敗しました!</source>
        <translation>Failed to check whether the recording is protected!</translation>
    </message>
    <message>
        <source>ｲﾍﾞﾝﾄﾌｧｲﾙの保護に失敗しました!</source>
        <translation>Failed to protect the recording!</translation>
    </message>
    <message>
        <source>重大な障害: ｲﾍﾞﾝﾄを非保護状態に戻すのに失敗しました!</source>
        <translation>Serious fault: the recording could not be returned to its unprotected state!</translation>
    </message>
    <message>
        <source>ｲﾍﾞﾝﾄ記録を終了します。&#xd;一度終了すると、記録を再開することはできません!</source>
        <translation>Recording will stop.&#xd;Once stopped, it cannot be resumed!</translation>
    </message>
    <message>
        <source>今までのｲﾍﾞﾝﾄを保存しますか?</source>
        <translation>Save the events recorded so far?</translation>
    </message>
    <message>
        <source>ｲﾍﾞﾝﾄ再生の途中ですが、再生を終了しますか?</source>
        <translation>The replay is not finished. Stop it?</translation>
    </message>
    <message>
        <source>ｲﾍﾞﾝﾄ記録中に例外が発生しました!&#xd;以降のｲﾍﾞﾝﾄ記録は停止します...</source>
        <translation>An error occurred while recording events!&#xd;Recording stops here...</translation>
    </message>
    <message>
        <source>ｲﾍﾞﾝﾄﾊﾟｹｯﾄが不正です!</source>
        <translation>An event packet is invalid!</translation>
    </message>
    <message>
        <source>ﾊﾟｹｯﾄｴﾗｰによりｲﾍﾞﾝﾄ再生できません!</source>
        <translation>The recording cannot be replayed: packet error!</translation>
    </message>
    <message>
        <source>ｲﾍﾞﾝﾄ追記ﾓｰﾄﾞに移行できませんでした!&#xd;以降のｲﾍﾞﾝﾄは記録されません...</source>
        <translation>The recording cannot be continued!</translation>
    </message>
    <message>
        <source>ｲﾍﾞﾝﾄ状態の問題を修正しました!</source>
        <translation>A problem in the event state was repaired!</translation>
    </message>
    <message>
        <source>ｲﾍﾞﾝﾄ記録に問題が検出されました!</source>
        <translation>A problem was found in the event recording!</translation>
    </message>
    <message>
        <source>ｱﾝﾄﾞｩ回数の変更に失敗しました!</source>
        <translation>Failed to change the number of undo steps!</translation>
    </message>
    <message>
        <source>ﾒﾓﾘ不足により正常に実行できませんでした！</source>
        <translation>Not enough memory to complete the operation!</translation>
    </message>
    <message>
        <source>%s (&quot;%s&quot;) の保存に失敗しました! (err=%d)</source>
        <translation>Failed to save %s (&quot;%s&quot;)! (err=%d)</translation>
    </message>
    <message>
        <source>%sの読み込みに失敗しました! (err=%d)</source>
        <translation>Failed to read %s! (err=%d)</translation>
    </message>
    <message>
        <source>ﾚｲﾔ</source>
        <translation>layer</translation>
    </message>
    <message>
        <source>ﾏｽｸ</source>
        <translation>mask</translation>
    </message>
    <message>
        <source>ｲﾍﾞﾝﾄﾃﾞｰﾀ部の読み込みに失敗しました!&#xd;ｲﾍﾞﾝﾄは破棄されました。</source>
        <translation>The recording in this paper file could not be read and was dropped!</translation>
    </message>
    <message>
        <source>%d個の未知のﾃﾞｰﾀﾌﾞﾛｯｸを無視しました!  (id = %s)</source>
        <translation>%d unknown data blocks were ignored!  (id = %s)</translation>
    </message>
    <message>
        <source>ﾊﾟﾚｯﾄﾓｰﾄﾞには対応していません。&#xd;16ﾋﾞｯﾄｶﾗｰ以上(32ﾋﾞｯﾄ推奨)に設定してください。&#xd;起動しますか?</source>
        <translation>Palette display modes are not supported.&#xd;Set the display to 16-bit colour or more (32-bit is best).&#xd;Start anyway?</translation>
    </message>
    <message>
        <source>ｲﾍﾞﾝﾄﾌｧｲﾙ再生を開始します</source>
        <translation>Starting the replay of the recording</translation>
    </message>
    <message>
        <source>何らかのｴﾗｰによりｲﾍﾞﾝﾄ再生の開始に失敗しました!</source>
        <translation>The replay could not start because of an error!</translation>
    </message>
    <message>
        <source>ﾌｧｲﾙｴﾗｰによりｲﾍﾞﾝﾄ再生の開始に失敗しました!</source>
        <translation>The replay could not start because of a file error!</translation>
    </message>
    <message>
        <source>ﾊﾟｹｯﾄﾁｪｯｸｴﾗｰによりｲﾍﾞﾝﾄ再生の開始に失敗しました!</source>
        <translation>The replay could not start because of a packet check error!</translation>
    </message>
    <message>
        <source>ﾊﾞｰｼﾞｮﾝｴﾗｰによりｲﾍﾞﾝﾄ再生の開始に失敗しました!</source>
        <translation>The replay could not start because of a version error!</translation>
    </message>
    <message>
        <source>保護ｴﾗｰによりｲﾍﾞﾝﾄ再生の開始に失敗しました!</source>
        <translation>The replay could not start: the recording is protected!</translation>
    </message>
    <message>
        <source>警告</source>
        <translation>Warning</translation>
    </message>
    <message>
        <source>%s (%s)</source>
        <translation>%s (%s)</translation>
    </message>
    <message>
        <source>%s : ｲﾍﾞﾝﾄ再生 %d%%</source>
        <translation>%s : replaying %d%%</translation>
    </message>
    <message>
        <source>%s は未対応の形式です</source>
        <translation>%s is not a supported format</translation>
    </message>
    <message>
        <source>%s&#xd;    path = %s</source>
        <translation>%s&#xd;    path = %s</translation>
    </message>
    <message>
        <source>%s&#xd;に加えられた変更を破棄して再読込していいですか?</source>
        <translation>Discard the changes made to&#xd;%s&#xd;and read it again?</translation>
    </message>
    <message>
        <source>&quot;%s&quot; は変更されています。&#xd;保存しますか？</source>
        <translation>&quot;%s&quot; has been changed.&#xd;Save it?</translation>
    </message>
    <message>
        <source>画像ﾌｧｲﾙを開くことができませんでした！&#xd;    path = %s</source>
        <translation>The picture file could not be opened!&#xd;    path = %s</translation>
    </message>
    <message>
        <source>ﾌｧｲﾙが見つかりません！</source>
        <translation>File not found!</translation>
    </message>
    <message>
        <source>%s : ｲﾍﾞﾝﾄ再生 %d%% (%ums) : 一時停止</source>
        <translation>%s : replaying %d%% (%ums) : paused</translation>
    </message>
    <message>
        <source>%s : ｲﾍﾞﾝﾄ再生%s (%ums) : %s</source>
        <translation>%s : replay %s (%ums) : %s</translation>
    </message>
    <message>
        <source>中断</source>
        <translation>stopped</translation>
    </message>
    <message>
        <source>追記不可</source>
        <translation>cannot append</translation>
    </message>
    <message>
        <source>終了</source>
        <translation>finished</translation>
    </message>
    <message>
        <source>追記ﾓｰﾄﾞ</source>
        <translation>appending</translation>
    </message>
    <message>
        <source>乗算</source>
        <translation>Multiply</translation>
    </message>
    <message>
        <source>加算</source>
        <translation>Add</translation>
    </message>
    <message>
        <source>減算</source>
        <translation>Subtract</translation>
    </message>
    <message>
        <source>標準</source>
        <translation>Normal</translation>
    </message>
    <message>
        <source>スクリーン</source>
        <translation>Screen</translation>
    </message>
    <message>
        <source>オーバーレイ</source>
        <translation>Overlay</translation>
    </message>
    <message>
        <source>ハードライト</source>
        <translation>Hard Light</translation>
    </message>
    <message>
        <source>ソフトライト</source>
        <translation>Soft Light</translation>
    </message>
    <message>
        <source>差の絶対値</source>
        <translation>Difference</translation>
    </message>
    <message>
        <source>除外</source>
        <translation>Exclusion</translation>
    </message>
    <message>
        <source>比較(暗)</source>
        <translation>Darken</translation>
    </message>
    <message>
        <source>比較(明)</source>
        <translation>Lighten</translation>
    </message>
    <message>
        <source>焼き込み</source>
        <translation>Colour Burn</translation>
    </message>
    <message>
        <source>覆い焼き</source>
        <translation>Colour Dodge</translation>
    </message>
    <message>
        <source>色相</source>
        <translation>Hue</translation>
    </message>
    <message>
        <source>彩度</source>
        <translation>Saturation</translation>
    </message>
    <message>
        <source>カラー</source>
        <translation>Colour</translation>
    </message>
    <message>
        <source>輝度</source>
        <translation>Luminosity</translation>
    </message>
    <message>
        <source>減算(ネガ)</source>
        <translation>Subtract (Negative)</translation>
    </message>
    <message>
        <source>リニアライト</source>
        <translation>Linear Light</translation>
    </message>
    <message>
        <source>ビビッドライト</source>
        <translation>Vivid Light</translation>
    </message>
    <message>
        <source>ピンライト</source>
        <translation>Pin Light</translation>
    </message>
    <message>
        <source>ﾍﾟﾝ色への変化長 = %3.1f|選択している色に変化するまでのｽﾄﾛｰｸ距離長</source>
        <translation>Change length = %3.1f|How far the stroke runs before the paint turns into the chosen colour</translation>
    </message>
    <message>
        <source>ﾍﾟﾝ間隔 = %3.1f%%|ペン直径に対する描点の間隔</source>
        <translation>Spacing = %3.1f%%|The distance between dabs for the pen's diameter</translation>
    </message>
    <message>
        <source>ﾍﾟﾝｻｲｽﾞの開始 = %3.1f%%</source>
        <translation>Minimum size = %3.1f%%</translation>
    </message>
    <message>
        <source>ﾍﾟﾝの最大半径 = %3.1f</source>
        <translation>Radius = %3.1f</translation>
    </message>
    <message>
        <source>ﾍﾟﾝの濃度 = %3d%%</source>
        <translation>Opacity = %3d%%</translation>
    </message>
    <message>
        <source>筆圧補正ｶﾞﾝﾏ = %2.2f|筆圧の強さを調整します</source>
        <translation>Pressure gamma = %2.2f|How strongly the pressure acts</translation>
    </message>
    <message>
        <source>筆圧ｻｲｽﾞ有効|筆圧によるサイズの変化</source>
        <translation>Pressure size|The pressure changes the size</translation>
    </message>
    <message>
        <source>筆圧透明度の有効|筆圧による透明度の変化</source>
        <translation>Pressure opacity|The pressure changes the opacity</translation>
    </message>
    <message>
        <source>ﾍﾟﾝ縁を滑らかにする|ペンの縁をなめらかにします</source>
        <translation>Smooth edge|Smooths the pen's edge</translation>
    </message>
    <message>
        <source>ﾍﾟﾝ設定を保存|現在のペン設定を保存します</source>
        <translation>Save|Saves the current pen settings</translation>
    </message>
    <message>
        <source>用紙DPIの変更</source>
        <translation>Change Paper Resolution</translation>
    </message>
    <message>
        <source>空欄があります！</source>
        <translation>A field is empty!</translation>
    </message>
    <message>
        <source>操作に失敗しました！</source>
        <translation>The operation failed!</translation>
    </message>
    <message>
        <source>不正な文字により数値を読みとれません！</source>
        <translation>The number cannot be read: the field holds invalid characters!</translation>
    </message>
    <message>
        <source>%sは %d ～ %d にしてください！</source>
        <translation>%s must be between %d and %d!</translation>
    </message>
    <message>
        <source>名前の自動生成(&amp;A)</source>
        <translation>Name &amp;Automatically</translation>
    </message>
    <message>
        <source>移動</source>
        <translation>Offset</translation>
    </message>
    <message>
        <source>ｽﾞｰﾑ</source>
        <translation>Zoom</translation>
    </message>
    <message>
        <source>反転</source>
        <translation>Invert</translation>
    </message>
    <message>
        <source>線数</source>
        <translation>Lines</translation>
    </message>
    <message>
        <source>濃度</source>
        <translation>Percent</translation>
    </message>
    <message>
        <source>角度</source>
        <translation>Angle</translation>
    </message>
    <message>
        <source>ぼかし</source>
        <translation>Blur</translation>
    </message>
    <message>
        <source>円(網点)</source>
        <translation>Circle (halftone)</translation>
    </message>
    <message>
        <source>円(単純)</source>
        <translation>Circle (simple)</translation>
    </message>
    <message>
        <source>円(コサイン)</source>
        <translation>Circle (cosine)</translation>
    </message>
    <message>
        <source>線</source>
        <translation>Line</translation>
    </message>
    <message>
        <source>線(X)</source>
        <translation>Line (X)</translation>
    </message>
    <message>
        <source>線(Y)</source>
        <translation>Line (Y)</translation>
    </message>
    <message>
        <source>スクエア</source>
        <translation>Square</translation>
    </message>
    <message>
        <source>クロス</source>
        <translation>Cross</translation>
    </message>
    <message>
        <source>ダイヤモンド</source>
        <translation>Diamond</translation>
    </message>
    <message>
        <source>菱形</source>
        <translation>Rhomboid</translation>
    </message>
    <message>
        <source>線形</source>
        <translation>Linear</translation>
    </message>
    <message>
        <source>放射形</source>
        <translation>Radiating</translation>
    </message>
    <message>
        <source>円形</source>
        <translation>Circular</translation>
    </message>
    <message>
        <source>通常</source>
        <translation>Normal</translation>
    </message>
    <message>
        <source>往復</source>
        <translation>There and Back</translation>
    </message>
    <message>
        <source>繰返(&amp;R)</source>
        <translation>&amp;Repeat</translation>
    </message>
    <message>
        <source>回(&amp;C)</source>
        <translation>times (&amp;C)</translation>
    </message>
    <message>
        <source>これ以上%sを追加できません！</source>
        <translation>No more %s can be added!</translation>
    </message>
    <message>
        <source>色</source>
        <translation>colours</translation>
    </message>
    <message>
        <source>** 2色固定 **</source>
        <translation>** Two Fixed Colours **</translation>
    </message>
    <message>
        <source>グラデーション集</source>
        <translation>gradation set</translation>
    </message>
    <message>
        <source>RGBノイズ</source>
        <translation>RGB noise</translation>
    </message>
    <message>
        <source>preview</source>
        <translation>Preview</translation>
    </message>
    <message>
        <source>ぼかし強度</source>
        <translation>Blur radius</translation>
    </message>
    <message>
        <source>ニュートラル</source>
        <translation>Neutral</translation>
    </message>
    <message>
        <source>ノイズの色</source>
        <translation>Noise colour</translation>
    </message>
    <message>
        <source>モノクロノイズ</source>
        <translation>Monochrome noise</translation>
    </message>
    <message>
        <source>中央のみ(&amp;C)</source>
        <translation>&amp;Centre only</translation>
    </message>
    <message>
        <source>中心</source>
        <translation>Centre</translation>
    </message>
    <message>
        <source>位相(&amp;P)</source>
        <translation>&amp;Phase</translation>
    </message>
    <message>
        <source>入力ﾚﾍﾞﾙ</source>
        <translation>Input levels</translation>
    </message>
    <message>
        <source>出力ﾚﾍﾞﾙ</source>
        <translation>Output levels</translation>
    </message>
    <message>
        <source>原寸表示(&amp;Z)</source>
        <translation>Actual si&amp;ze</translation>
    </message>
    <message>
        <source>回転</source>
        <translation>turns</translation>
    </message>
    <message>
        <source>強さ</source>
        <translation>Strength</translation>
    </message>
    <message>
        <source>数</source>
        <translation>Count</translation>
    </message>
    <message>
        <source>明るさ(&amp;V)</source>
        <translation>Brightness(&amp;V)</translation>
    </message>
    <message>
        <source>明度</source>
        <translation>Lightness</translation>
    </message>
    <message>
        <source>横波の強さ(&amp;Y)</source>
        <translation>Horizontal wave strength(&amp;Y)</translation>
    </message>
    <message>
        <source>横波の数(&amp;H)</source>
        <translation>Horizontal waves(&amp;H)</translation>
    </message>
    <message>
        <source>縦波の強さ(&amp;X)</source>
        <translation>Vertical wave strength(&amp;X)</translation>
    </message>
    <message>
        <source>縦波の数(&amp;V)</source>
        <translation>Vertical waves(&amp;V)</translation>
    </message>
    <message>
        <source>量</source>
        <translation>Amount</translation>
    </message>
    <message>
        <source>高さ</source>
        <translation>Height</translation>
    </message>
    <message>
        <source>ｺﾝﾄﾗｽﾄ(&amp;C)</source>
        <translation>Contrast(&amp;C)</translation>
    </message>
    <message>
        <source>&amp;X</source>
        <translation>&amp;X</translation>
    </message>
    <message>
        <source>&amp;Y</source>
        <translation>&amp;Y</translation>
    </message>
    <message>
        <source>&amp;Z</source>
        <translation>&amp;Z</translation>
    </message>
    <message>
        <source>ウォームライト</source>
        <translation>Warm light</translation>
    </message>
    <message>
        <source>カメラ設定</source>
        <translation>Camera</translation>
    </message>
    <message>
        <source>スクリーン距離(&amp;D)</source>
        <translation>Screen &amp;distance</translation>
    </message>
    <message>
        <source>スポットライト</source>
        <translation>Spotlight</translation>
    </message>
    <message>
        <source>テクスチャ</source>
        <translation>Texture</translation>
    </message>
    <message>
        <source>ファイルを選択する(&amp;1)</source>
        <translation>From a file (&amp;1)</translation>
    </message>
    <message>
        <source>ファイルを選択する(&amp;2)</source>
        <translation>From a file (&amp;2)</translation>
    </message>
    <message>
        <source>不透明度</source>
        <translation>Opacity</translation>
    </message>
    <message>
        <source>光源</source>
        <translation>Light</translation>
    </message>
    <message>
        <source>天井</source>
        <translation>Ceiling</translation>
    </message>
    <message>
        <source>天井の高さ(&amp;S)</source>
        <translation>Ceiling &amp;height</translation>
    </message>
    <message>
        <source>奥行き</source>
        <translation>Depth</translation>
    </message>
    <message>
        <source>岩模様</source>
        <translation>Rock</translation>
    </message>
    <message>
        <source>幅</source>
        <translation>Width</translation>
    </message>
    <message>
        <source>床</source>
        <translation>Floor</translation>
    </message>
    <message>
        <source>拡がり</source>
        <translation>Spread</translation>
    </message>
    <message>
        <source>指定の大きさで繰り返し(&amp;M)</source>
        <translation>Repeat at the given si&amp;ze</translation>
    </message>
    <message>
        <source>方向</source>
        <translation>Direction</translation>
    </message>
    <message>
        <source>明るさ</source>
        <translation>Brightness</translation>
    </message>
    <message>
        <source>横回転(&amp;H)</source>
        <translation>&amp;Heading</translation>
    </message>
    <message>
        <source>正三角形</source>
        <translation>Triangles</translation>
    </message>
    <message>
        <source>正方形</source>
        <translation>Squares</translation>
    </message>
    <message>
        <source>水平線まで描画する(&amp;E)</source>
        <translation>Draw to the horizon (&amp;E)</translation>
    </message>
    <message>
        <source>濃度(&amp;A)</source>
        <translation>Density (&amp;A)</translation>
    </message>
    <message>
        <source>点光源</source>
        <translation>Point light</translation>
    </message>
    <message>
        <source>現在のレイヤ画像を残す(&amp;B)</source>
        <translation>Keep the layer's picture (&amp;B)</translation>
    </message>
    <message>
        <source>環境光</source>
        <translation>Ambient light</translation>
    </message>
    <message>
        <source>画像ファイルが選択されていません！</source>
        <translation>No picture file has been chosen!</translation>
    </message>
    <message>
        <source>画像ファイルを読み込めませんでした！</source>
        <translation>The picture file could not be read!</translation>
    </message>
    <message>
        <source>種類(&amp;K)</source>
        <translation>&amp;Kind</translation>
    </message>
    <message>
        <source>範囲</source>
        <translation>Range</translation>
    </message>
    <message>
        <source>縦回転(&amp;P)</source>
        <translation>&amp;Pitch</translation>
    </message>
    <message>
        <source>色(&amp;A)</source>
        <translation>Colour (&amp;A)</translation>
    </message>
    <message>
        <source>色(&amp;C)</source>
        <translation>&amp;Colour</translation>
    </message>
    <message>
        <source>距離(&amp;F)</source>
        <translation>&amp;Far distance</translation>
    </message>
    <message>
        <source>軟らかさ</source>
        <translation>Softness</translation>
    </message>
    <message>
        <source>透明色(&amp;O)</source>
        <translation>Transparent c&amp;olour</translation>
    </message>
    <message>
        <source>選択</source>
        <translation>Choose...</translation>
    </message>
    <message>
        <source>ｺﾝﾄﾗｽﾄ</source>
        <translation>Contrast</translation>
    </message>
    <message>
        <source>ﾊﾟﾀｰﾝの再作成(&amp;R)</source>
        <translation>&amp;Regenerate pattern</translation>
    </message>
    <message>
        <source>2色</source>
        <translation>2 colours</translation>
    </message>
    <message>
        <source>3色</source>
        <translation>3 colours</translation>
    </message>
    <message>
        <source>行間(&amp;L)</source>
        <translation>&amp;Leading</translation>
    </message>
    <message>
        <source>テキスト</source>
        <translation>Text</translation>
    </message>
    <message>
        <source>字間(&amp;S)</source>
        <translation>&amp;Spacing</translation>
    </message>
    <message>
        <source>サイズ</source>
        <translation>Size</translation>
    </message>
    <message>
        <source>フォント名</source>
        <translation>Font</translation>
    </message>
    <message>
        <source>%s : %s</source>
        <translation>%s : %s</translation>
    </message>
    <message>
        <source>実行(&amp;O)</source>
        <translation>&amp;OK</translation>
    </message>
    <message>
        <source>閉じる(&amp;C)</source>
        <translation>&amp;Close</translation>
    </message>
    <message>
        <source>%s : %d</source>
        <translation>%s : %d</translation>
    </message>
    <message>
        <source>フォント(&amp;F)...</source>
        <translation>&amp;Font...</translation>
    </message>
    <message>
        <source>斜体(&amp;I)</source>
        <translation>&amp;Italic</translation>
    </message>
    <message>
        <source>太字(&amp;B)</source>
        <translation>&amp;Bold</translation>
    </message>
    <message>
        <source>縦書き(&amp;V)</source>
        <translation>&amp;Vertical</translation>
    </message>
    <message>
        <source>入力欄にフォントを使う(&amp;U)</source>
        <translation>&amp;Use the font in the text field</translation>
    </message>
    <message>
        <source>プレビュー(&amp;P)</source>
        <translation>&amp;Preview</translation>
    </message>
    <message>
        <source>ﾊﾟﾚｯﾄ</source>
        <translation>palette colours</translation>
    </message>
    <message>
        <source>読み込むことのできないﾊﾟﾚｯﾄ形式です！</source>
        <translation>This palette format cannot be read!</translation>
    </message>
    <message>
        <source>ﾊﾟﾚｯﾄﾌｧｲﾙのﾛｰﾄﾞに失敗しました！</source>
        <translation>Failed to load the palette file!</translation>
    </message>
    <message>
        <source>扱えないﾊﾟﾚｯﾄﾃﾞｰﾀ形式でした！</source>
        <translation>The palette data could not be used!</translation>
    </message>
    <message>
        <source>%d個の%sが読み込めませんでした！</source>
        <translation>%d %s could not be read!</translation>
    </message>
    <message>
        <source>CMYKﾊﾟﾚｯﾄは正常に色を変換できません！
CMYKﾊﾟﾚｯﾄは破棄してよいですか？ (%d色中%d色)</source>
        <translation>CMYK colours cannot be converted correctly!
Discard the CMYK colours? (%d colours, %d of them CMYK)</translation>
    </message>
    <message>
        <source>不正な拡張子です！</source>
        <translation>Invalid file extension!</translation>
    </message>
    <message>
        <source>ﾊﾟﾚｯﾄのｾｰﾌﾞに失敗しました！</source>
        <translation>Failed to save the palette!</translation>
    </message>
    <message>
        <source>ﾊﾟﾚｯﾄ用にﾒﾓﾘ確保できませんでした！
操作は失敗しました</source>
        <translation>Not enough memory for the palette!
The operation failed</translation>
    </message>
    <message>
        <source>Invalid ACO version!</source>
        <translation>Invalid ACO version!</translation>
    </message>
    <message>
        <source>palette: no memory!</source>
        <translation>palette: no memory!</translation>
    </message>
    <message>
        <source>印刷</source>
        <translation>Print</translation>
    </message>
    <message>
        <source>ﾌﾟﾘﾝﾀ</source>
        <translation>Printer</translation>
    </message>
    <message>
        <source>ｾﾝﾀﾘﾝｸﾞ(&amp;C)</source>
        <translation>&amp;Centre</translation>
    </message>
    <message>
        <source>ﾌﾟﾘﾝﾀが見つかりません!&#xd;ﾃﾞﾌｫﾙﾄﾌﾟﾘﾝﾀを設定して下さい!!</source>
        <translation>No printer was found!&#xd;Please set up a default printer!!</translation>
    </message>
    <message>
        <source>印刷に失敗しました!</source>
        <translation>Printing failed!</translation>
    </message>
</context>
</TS>
